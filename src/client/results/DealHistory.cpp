#include "client/results/DealHistory.h"

#include <algorithm>
#include <set>

#include "client/results/ResultsText.h"
#include "program/Csv.h"

namespace tarvendo::client {

namespace {

// std::string compares its chars as unsigned: the table's UTF-8 byte order.
std::vector<std::string> everyPlayer(const std::vector<DealRecord>& deals) {
    std::set<std::string> names;
    for (const DealRecord& deal : deals) {
        for (const auto& player : deal.players) {
            names.insert(player.first);
        }
    }
    return {names.begin(), names.end()};
}

std::string cardOf(const DealRecord& deal, const std::string& name) {
    const auto found = std::find_if(deal.players.begin(), deal.players.end(),
                                    [&](const auto& player) { return player.first == name; });
    return found != deal.players.end() && isDeckSymbol(found->second) ? found->second : "";
}

std::string numberOrEmpty(const std::optional<double>& value) {
    return value ? formattedNumber(*value) : "";
}

}  // namespace

void DealHistory::record(DealRecord deal) {
    if (!deals_.empty() && deals_.back().deal == deal.deal) {
        deal.time = deals_.back().time;
        deals_.back() = std::move(deal);
    } else {
        deals_.push_back(std::move(deal));
    }
}

std::string historyCsv(const std::vector<DealRecord>& deals) {
    const std::vector<std::string> players = everyPlayer(deals);
    std::vector<std::string> header{"time", "title", "average", "median", "consensus"};
    header.insert(header.end(), players.begin(), players.end());
    std::string csv = csvRecord(header);
    for (const DealRecord& deal : deals) {
        std::vector<std::string> row{deal.time, deal.title, numberOrEmpty(deal.statistics.average),
                                     numberOrEmpty(deal.statistics.median),
                                     deal.statistics.consensus ? "yes" : "no"};
        for (const std::string& name : players) {
            row.push_back(cardOf(deal, name));
        }
        csv += csvRecord(row);
    }
    return csv;
}

}  // namespace tarvendo::client
