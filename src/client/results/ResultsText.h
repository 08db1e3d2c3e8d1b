#pragma once

#include <string>
#include <vector>

#include "client/results/DealStatistics.h"

namespace tarvendo::client {

// A number as the results show it: at most two decimals, no trailing zeros,
// a point whatever the locale (it goes into CSV too).
std::string formattedNumber(double value);

// The results strip, line by line: cards shown, average and median, the
// cards that are not numbers, lowest and highest, the most chosen, consensus
// or spread, and the suggested estimate; without a numeric card one line
// says so instead of the numbers.
std::vector<std::string> resultsLines(const DealStatistics& statistics);

// How many chose each card, for the chart's description: "5: 2, 8: 1", the
// cards nobody chose left out; "No cards" when there are none.
std::string countsText(const DealStatistics& statistics);

}  // namespace tarvendo::client
