#pragma once

#include <string_view>

namespace tarvendo {

// Writes one diagnostic line to standard output and flushes it at once, so a
// pipe or log file shows it immediately. Safe from any thread.
void printLine(std::string_view line);

}  // namespace tarvendo
