#include "transport/Diagnostics.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace tarvendo {

void printLine(std::string_view line) {
    static std::mutex outputMutex;
    std::string text(line);
    text.push_back('\n');
    const std::lock_guard lock(outputMutex);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace tarvendo
