#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "protocol/RequestCode.h"

namespace tarvendo::bot {

using Clock = std::chrono::steady_clock;

// What one player's client server received, counted per kind of push.
struct PushTotals {
    std::array<std::uint64_t, 9> byKind{};
    std::uint64_t foreignToken = 0;  // pushes carrying someone else's token
    std::uint64_t undecodable = 0;
    // A play not after its deal's initNewDeal, an openCards not after its
    // play, or a vote outside voting: the server sends them in order.
    std::uint64_t outOfOrder = 0;

    std::uint64_t of(RequestCode kind) const { return byKind[static_cast<std::size_t>(kind)]; }
    PushTotals& operator+=(const PushTotals& other);
};

// Counts pushes as they arrive on a connection thread and lets another thread
// wait for them.
class PushTally {
public:
    void received(RequestCode kind);
    void receivedForeignToken();
    void receivedUndecodable();

    PushTotals totals() const;
    // Waits until `count` pushes of the kind have arrived; the arrival time of
    // the latest one, or absent at the deadline.
    std::optional<Clock::time_point> waitFor(RequestCode kind, std::uint64_t count,
                                             Clock::time_point deadline) const;

private:
    // Both need mutex_.
    void followDeal(RequestCode kind);
    bool inDealOrder(RequestCode kind) const;

    mutable std::mutex mutex_;  // guards totals_, lastArrival_ and dealStep_
    mutable std::condition_variable arrived_;
    PushTotals totals_;
    std::array<Clock::time_point, 9> lastArrival_{};
    // The latest initNewDeal, play or openCards; absent until the first deal
    // this player saw from its start.
    std::optional<RequestCode> dealStep_;
};

}  // namespace tarvendo::bot
