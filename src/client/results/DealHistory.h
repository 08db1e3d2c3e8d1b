#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "client/results/DealStatistics.h"

namespace tarvendo::client {

// One opened deal as this client saw it.
struct DealRecord {
    std::uint64_t deal = 0;  // the table's count of deals
    std::string time;        // when its cards opened, ISO 8601 with the offset
    std::string title;
    // Name and symbol of every player at the table, in the table's order.
    std::vector<std::pair<std::string, std::string>> players;
    DealStatistics statistics;
};

// The opened deals of this session, oldest first. A deal's record follows
// its late votes until the next deal begins.
class DealHistory {
public:
    // The deal's record: a new one, or the latest again with what changed.
    void record(DealRecord deal);
    const std::vector<DealRecord>& deals() const { return deals_; }

private:
    std::vector<DealRecord> deals_;
};

// The history as CSV (RFC 4180, UTF-8, CRLF): a header row, then one row per
// deal, oldest first: time, title, average, median, consensus, then one
// column per player of any deal, in the table's order, holding that player's
// card (empty for none).
std::string historyCsv(const std::vector<DealRecord>& deals);

}  // namespace tarvendo::client
