#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tarvendo::bench {

using BenchClock = std::chrono::steady_clock;

// One measure's goal: samples at or above it miss.
struct Goal {
    double value = 0;
    std::string unit;  // of the samples and the goal
};

// The sample below which the share of all samples lies (nearest rank); zero
// when there are none.
double nearestRank(std::vector<double> samples, double share);

// One row of the table scripts/run-benchmarks prints, as a line of its own
// that starts with "result|": the script picks it out of everything else a
// benchmark or its child processes write. Its median and 99th percentile.
void printResult(const std::string& measure, const std::vector<double>& samples, const Goal& goal);

double milliseconds(BenchClock::duration duration);

}  // namespace tarvendo::bench
