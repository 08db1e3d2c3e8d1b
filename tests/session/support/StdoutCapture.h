#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tarvendo::support {

// Redirects standard output into a pipe for its lifetime, so lines printed on
// any thread can be counted. What was captured is written to the real
// standard output when it ends, so a failure's messages are not lost.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Restores standard output and collects everything printed until now.
    void finish();
    // How many whole lines equal the given text; call after finish().
    std::size_t countLines(std::string_view line) const;
    const std::string& text() const { return text_; }

private:
    void drain(int readEnd);

    int savedStdout_ = -1;
    std::thread reader_;
    std::mutex mutex_;  // guards text_ while the reader runs
    std::string text_;
};

}  // namespace tarvendo::support
