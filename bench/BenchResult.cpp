#include "bench/BenchResult.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvendo::bench {

double nearestRank(std::vector<double> samples, double share) {
    if (samples.empty()) {
        return 0;
    }
    const auto rank = static_cast<std::size_t>(std::ceil(share * double(samples.size())));
    const std::size_t index = std::clamp<std::size_t>(rank, 1, samples.size()) - 1;
    std::nth_element(samples.begin(), samples.begin() + long(index), samples.end());
    return samples[index];
}

void printResult(const std::string& measure, const std::vector<double>& samples, const Goal& goal) {
    std::printf("result|%s|%.3f|%.3f|%g|%s|%zu\n", measure.c_str(), nearestRank(samples, 0.5),
                nearestRank(samples, 0.99), goal.value, goal.unit.c_str(), samples.size());
    std::fflush(stdout);
}

double milliseconds(BenchClock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace tarvendo::bench
