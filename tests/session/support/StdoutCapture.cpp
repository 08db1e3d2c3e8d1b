#include "StdoutCapture.h"

#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace tarvendo::support {

StdoutCapture::StdoutCapture() {
    int ends[2];
    std::fflush(stdout);
    if (::pipe(ends) != 0) {
        throw std::runtime_error("no pipe for capturing standard output");
    }
    savedStdout_ = ::dup(STDOUT_FILENO);
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[1]);
    reader_ = std::thread([this, readEnd = ends[0]] { drain(readEnd); });
}

StdoutCapture::~StdoutCapture() {
    finish();
}

void StdoutCapture::drain(int readEnd) {
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(readEnd, chunk, sizeof chunk)) > 0) {
        const std::lock_guard lock(mutex_);
        text_.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(readEnd);
}

void StdoutCapture::finish() {
    if (savedStdout_ == -1) {
        return;
    }
    std::fflush(stdout);
    ::dup2(savedStdout_, STDOUT_FILENO);  // closes the pipe's last write end
    ::close(savedStdout_);
    savedStdout_ = -1;
    reader_.join();
    const std::lock_guard lock(mutex_);
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    std::fflush(stdout);
}

std::size_t StdoutCapture::countLines(std::string_view line) const {
    std::istringstream lines(text_);
    std::size_t count = 0;
    for (std::string each; std::getline(lines, each);) {
        count += each == line ? 1 : 0;
    }
    return count;
}

}  // namespace tarvendo::support
