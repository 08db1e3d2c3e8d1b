#include "support/ChildProcess.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/Waiting.h"

extern char** environ;

namespace tarvendo::test {

namespace {

std::optional<std::string> temporaryFile() {
    std::string path = "/tmp/tarvendo-child-XXXXXX";
    const int descriptor = ::mkstemp(path.data());
    if (descriptor == -1) {
        return std::nullopt;
    }
    ::close(descriptor);
    return path;
}

// In the forked child: only async-signal-safe calls until exec. The child is
// killed when the thread that started it ends, so a test that dies from a
// signal leaves no program running.
[[noreturn]] void execChild(pid_t parent, const char* outputPath, char* const* argv) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(127);  // the parent died before the line above took effect
    }
    const int output = ::open(outputPath, O_WRONLY);
    if (output == -1 || ::dup2(output, STDOUT_FILENO) == -1 ||
        ::dup2(output, STDERR_FILENO) == -1) {
        ::_exit(127);
    }
    ::execve(argv[0], argv, environ);
    ::_exit(127);
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::string& program,
                                                  const std::vector<std::string>& arguments) {
    const std::optional<std::string> outputPath = temporaryFile();
    if (!outputPath) {
        return nullptr;
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv(words.size() + 1, nullptr);  // ends with the null
    std::ranges::transform(words, argv.begin(), [](std::string& word) { return word.data(); });
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        execChild(parent, outputPath->c_str(), argv.data());
    }
    if (pid == -1) {
        ::unlink(outputPath->c_str());
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, *outputPath));
}

ChildProcess::~ChildProcess() {
    if (!exitStatus_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::unlink(outputPath_.c_str());
}

std::string ChildProcess::output() const {
    std::ifstream file(outputPath_);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds limit) const {
    return eventually([&] { return output().find(text) != std::string::npos; }, limit);
}

void ChildProcess::signal(int number) const {
    if (!exitStatus_) {
        ::kill(pid_, number);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    eventually(
        [this] {
            int status = 0;
            if (!exitStatus_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return exitStatus_.has_value();
        },
        limit);
    return exitStatus_;
}

std::optional<long> ChildProcess::memoryKiB(const std::string& field) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtol(line.c_str() + field.size(), nullptr, 10);
        }
    }
    return std::nullopt;
}

std::optional<int> listeningPort(const ChildProcess& server, std::chrono::milliseconds limit) {
    static const std::string kMark = " listening port ";
    if (!server.waitForOutput(kMark, limit)) {
        return std::nullopt;
    }
    const std::string output = server.output();
    return std::atoi(output.c_str() + output.find(kMark) + kMark.size());
}

}  // namespace tarvendo::test
