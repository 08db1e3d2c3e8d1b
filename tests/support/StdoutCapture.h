#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>

namespace tarvendo::test {

// Captures standard output, whichever thread prints, from construction until
// finish() or the end of its life.
class StdoutCapture {
public:
    StdoutCapture() { testing::internal::CaptureStdout(); }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Restores standard output and keeps everything printed until now.
    void finish() {
        if (capturing_) {
            capturing_ = false;
            text_ = testing::internal::GetCapturedStdout();
        }
    }
    // How many whole lines equal the given text; call after finish().
    std::size_t countLines(std::string_view line) const {
        std::istringstream lines(text_);
        std::size_t count = 0;
        for (std::string each; std::getline(lines, each);) {
            count += each == line ? 1 : 0;
        }
        return count;
    }
    const std::string& text() const { return text_; }

private:
    bool capturing_ = true;
    std::string text_;
};

}  // namespace tarvendo::test
