#include "client/results/DealStatistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace tarvendo::client {

namespace {

constexpr std::string_view kUnknown = "?";
constexpr std::string_view kInfinite = "∞";
constexpr std::string_view kHalf = "½";

// The numeric cards' values in ascending order, taken from the counts.
std::vector<double> numericValues(const DealStatistics& statistics) {
    std::vector<double> values;
    for (std::size_t position = 0; position < kDeckSymbols.size(); ++position) {
        if (const std::optional<double> value = cardValue(kDeckSymbols[position])) {
            values.insert(values.end(), statistics.counts[position], *value);
        }
    }
    return values;
}

double medianOf(const std::vector<double>& sorted) {
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

std::string nearestCard(double median) {
    std::string nearest;
    double distance = INFINITY;
    for (const std::string_view symbol : kDeckSymbols) {
        const std::optional<double> value = cardValue(symbol);
        // Ascending deck order: a tie goes to the later, larger card.
        if (value && std::abs(*value - median) <= distance) {
            distance = std::abs(*value - median);
            nearest = symbol;
        }
    }
    return nearest;
}

void addNumbers(DealStatistics& statistics) {
    const std::vector<double> values = numericValues(statistics);
    if (values.empty()) {
        return;
    }
    statistics.average = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    statistics.median = medianOf(values);
    statistics.suggested = nearestCard(*statistics.median);
    std::optional<std::size_t> first;
    std::optional<std::size_t> last;
    for (std::size_t position = 0; position < kDeckSymbols.size(); ++position) {
        if (statistics.counts[position] > 0 && cardValue(kDeckSymbols[position])) {
            first = first.value_or(position);
            last = position;
        }
    }
    statistics.lowest = std::string(kDeckSymbols[*first]);
    statistics.highest = std::string(kDeckSymbols[*last]);
    statistics.spread = *last - *first;
    statistics.consensus = *first == *last && statistics.unknown == 0 && statistics.infinite == 0;
}

void addMostChosen(DealStatistics& statistics) {
    const std::size_t most = *std::max_element(statistics.counts.begin(), statistics.counts.end());
    for (std::size_t position = 0; most > 0 && position < kDeckSymbols.size(); ++position) {
        if (statistics.counts[position] == most) {
            statistics.mostChosen.emplace_back(kDeckSymbols[position]);
        }
    }
}

}  // namespace

std::optional<double> cardValue(std::string_view symbol) {
    if (symbol == kHalf) {
        return 0.5;
    }
    if (symbol == kUnknown || symbol == kInfinite || !isDeckSymbol(symbol)) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(symbol.data(), symbol.data() + symbol.size(), value);
    return value;
}

DealStatistics dealStatistics(const std::vector<std::string>& symbols) {
    DealStatistics statistics;
    statistics.players = symbols.size();
    for (const std::string& symbol : symbols) {
        if (const std::optional<std::size_t> position = deckPosition(symbol)) {
            ++statistics.counts[*position];
            ++statistics.shown;
            statistics.unknown += symbol == kUnknown ? 1 : 0;
            statistics.infinite += symbol == kInfinite ? 1 : 0;
        }
    }
    addNumbers(statistics);
    addMostChosen(statistics);
    return statistics;
}

}  // namespace tarvendo::client
