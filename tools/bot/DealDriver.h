#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bot/BotPlayer.h"
#include "bot/PushTally.h"

namespace tarvendo::bot {

struct DealReport {
    int completed = 0;
    // Per deal: from sending openCards until every player here had its push.
    std::vector<Clock::duration> openLatencies;
    std::string problem;  // why the deals ended early; empty when they did not
};

// The admin's side of a deal, repeated: start it, let everyone play, wait for
// every vote, open the cards, and time how long the opening takes to reach
// every player of this process.
class DealDriver {
public:
    DealDriver(BotPlayer& admin, std::vector<BotPlayer*> everyone,
               std::function<bool()> stopRequested,
               std::chrono::milliseconds waitLimit = std::chrono::seconds(10));

    DealReport run(int deals);

private:
    // Empty when the deal went through; otherwise why not.
    std::string playDeal(int number, DealReport& report);
    bool awaitWholeTeam() const;
    std::vector<std::uint64_t> counts(RequestCode kind) const;
    std::string command(RequestCode code, const std::optional<Json>& body = std::nullopt);
    // Waits for `count` pushes of a kind at one player, stopping early on request.
    std::optional<Clock::time_point> await(BotPlayer& player, RequestCode kind,
                                           std::uint64_t count);

    BotPlayer& admin_;
    const std::vector<BotPlayer*> everyone_;
    const std::function<bool()> stopRequested_;
    const std::chrono::milliseconds waitLimit_;
};

// The value below which the given share of the samples lie (nearest rank).
Clock::duration percentile(std::vector<Clock::duration> samples, double share);

}  // namespace tarvendo::bot
