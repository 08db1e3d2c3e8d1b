#include "program/StopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace tarvendo {

namespace {

// The self-pipe: a handler may only write to a descriptor.
int pipeEnds[2] = {-1, -1};

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignal::StopSignal() {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("tarvendo: cannot create the stop pipe");
        std::exit(1);  // NOLINT(concurrency-mt-unsafe): at start-up, before any thread
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

StopSignal& StopSignal::install() {
    static StopSignal instance;
    return instance;
}

void StopSignal::request() {
    onSignal(0);
}

int StopSignal::descriptor() const {
    return pipeEnds[0];
}

bool StopSignal::waitFor(std::optional<std::chrono::milliseconds> limit) {
    // The byte stays in the pipe, so every later wait returns at once too.
    pollfd watched{pipeEnds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::hours(0));
    while (true) {
        int timeout = -1;
        if (limit) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
        }
        const int ready = ::poll(&watched, 1, timeout);
        if (ready >= 0 || errno != EINTR) {
            return ready > 0;
        }
    }
}

}  // namespace tarvendo
