#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tarvendo::bench {

// Players at a benchmark's table: the largest team the table is laid out for.
inline constexpr int kTablePlayers = 24;

// Runs the benchmark with a QApplication on the offscreen platform (the
// software raster, no display) and the Qt main queue, as the client runs.
int runWithQt(int argc, char** argv, const std::function<int()>& benchmark);

// Runs the Qt event loop until the condition holds; false at the limit.
bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// The name of player `number` (1 and up) at a benchmark's table: names of
// typical length, in the table's sort order.
std::string playerName(int number);

}  // namespace tarvendo::bench
