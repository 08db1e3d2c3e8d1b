#include "client/results/ResultsText.h"

#include <cmath>

namespace tarvendo::client {

namespace {

constexpr long kHundredths = 100;

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : separator) + part;
    }
    return text;
}

std::string steps(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " step" : " steps");
}

std::string apartLine(const DealStatistics& statistics) {
    std::vector<std::string> apart;
    if (statistics.unknown > 0) {
        apart.push_back(std::to_string(statistics.unknown) + " × ?");
    }
    if (statistics.infinite > 0) {
        apart.push_back(std::to_string(statistics.infinite) + " × ∞");
    }
    return joined(apart, ", ");
}

void addNumberLines(std::vector<std::string>& lines, const DealStatistics& statistics) {
    if (!statistics.average) {
        lines.emplace_back("No numeric card");
        return;
    }
    lines.push_back("Average " + formattedNumber(*statistics.average) + ", median " +
                    formattedNumber(*statistics.median));
    lines.push_back("Lowest " + *statistics.lowest + ", highest " + *statistics.highest);
    lines.push_back(statistics.consensus ? "Consensus" : "Spread " + steps(*statistics.spread));
    lines.push_back("Suggested estimate " + *statistics.suggested);
}

}  // namespace

std::string formattedNumber(double value) {
    // Cards are never negative.
    const long hundredths = std::lround(value * kHundredths);
    std::string text = std::to_string(hundredths / kHundredths);
    const long tenths = hundredths % kHundredths / 10;
    const long rest = hundredths % 10;
    if (tenths != 0 || rest != 0) {
        text += '.' + std::to_string(tenths) + (rest != 0 ? std::to_string(rest) : "");
    }
    return text;
}

std::vector<std::string> resultsLines(const DealStatistics& statistics) {
    std::vector<std::string> lines{std::to_string(statistics.shown) + " of " +
                                   std::to_string(statistics.players) + " cards shown"};
    addNumberLines(lines, statistics);
    if (const std::string apart = apartLine(statistics); !apart.empty()) {
        lines.push_back(apart);
    }
    if (!statistics.mostChosen.empty()) {
        lines.push_back("Most chosen " + joined(statistics.mostChosen, ", "));
    }
    return lines;
}

std::string countsText(const DealStatistics& statistics) {
    std::vector<std::string> counts;
    for (std::size_t position = 0; position < kDeckSymbols.size(); ++position) {
        if (statistics.counts[position] > 0) {
            counts.push_back(std::string(kDeckSymbols[position]) + ": " +
                             std::to_string(statistics.counts[position]));
        }
    }
    return counts.empty() ? "No cards" : joined(counts, ", ");
}

}  // namespace tarvendo::client
