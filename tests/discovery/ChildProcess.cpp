#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace tarvendo::test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto exitGrace = 2s;
constexpr auto peerTimeout = 5s;
constexpr auto establishTimeout = 5s;
constexpr auto withdrawTimeout = 5s;

bool reaped(pid_t pid, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Both streams: avahi-publish reports on standard error.
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        pid_ = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
}

ChildProcess::~ChildProcess() {
    end();
    if (output_ >= 0) {
        close(output_);
    }
}

void ChildProcess::end() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    if (!reaped(pid_, Clock::now() + exitGrace)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

bool ChildProcess::fill(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ready{output_, POLLIN, 0};
    if (output_ < 0 || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    char buffer[512];
    const ssize_t count = read(output_, buffer, sizeof buffer);
    if (count <= 0) {
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(count));
    return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (!fill(deadline)) {
            return std::nullopt;
        }
    }
}

std::vector<std::string> ChildProcess::readAll(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::string> lines;
    while (auto line = readLine(
               std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()))) {
        lines.push_back(std::move(*line));
    }
    return lines;
}

std::optional<std::string> waitEstablished(ChildProcess& publisher) {
    // avahi-publish: "Established under name 'Tarvendo'".
    const std::string marker = "Established under name '";
    while (auto line = publisher.readLine(establishTimeout)) {
        if (line->rfind(marker, 0) == 0 && line->size() > marker.size()) {
            return line->substr(marker.size(), line->size() - marker.size() - 1);
        }
    }
    return std::nullopt;
}

std::vector<std::string> resolveWithPeer(const std::string& type) {
    ChildProcess peer({"avahi-browse", "--resolve", "--parsable", "--terminate", type});
    return peer.readAll(peerTimeout);
}

}  // namespace tarvendo::test

namespace tarvendo::test {

bool waitUntilPeerSeesNone(const std::string& type) {
    const auto deadline = Clock::now() + withdrawTimeout;
    for (;;) {
        ChildProcess peer({"avahi-browse", "--parsable", "--terminate", type});
        bool seen = false;
        for (const std::string& line : peer.readAll(peerTimeout)) {
            seen = seen || line.rfind("+;", 0) == 0;
        }
        if (!seen) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
}

}  // namespace tarvendo::test
