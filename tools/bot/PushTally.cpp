#include "bot/PushTally.h"

namespace tarvendo::bot {

PushTotals& PushTotals::operator+=(const PushTotals& other) {
    for (std::size_t i = 0; i < byKind.size(); ++i) {
        byKind[i] += other.byKind[i];
    }
    foreignToken += other.foreignToken;
    undecodable += other.undecodable;
    outOfOrder += other.outOfOrder;
    return *this;
}

void PushTally::received(RequestCode kind) {
    const Clock::time_point now = Clock::now();
    {
        const std::lock_guard lock(mutex_);
        const auto index = static_cast<std::size_t>(kind);
        ++totals_.byKind[index];
        lastArrival_[index] = now;
        followDeal(kind);
    }
    arrived_.notify_all();
}

void PushTally::followDeal(RequestCode kind) {
    totals_.outOfOrder += inDealOrder(kind) ? 0 : 1;
    const bool step = kind == RequestCode::initNewDeal || kind == RequestCode::play ||
                      kind == RequestCode::openCards;
    if (step && (dealStep_ || kind == RequestCode::initNewDeal)) {
        dealStep_ = kind;
    }
}

bool PushTally::inDealOrder(RequestCode kind) const {
    if (!dealStep_) {
        return true;  // joined during a deal: its beginning was never seen
    }
    switch (kind) {
        case RequestCode::play:
            return dealStep_ == RequestCode::initNewDeal;
        case RequestCode::openCards:
            return dealStep_ == RequestCode::play;
        case RequestCode::cardElected:
            // Votes are taken from play until the next deal, after opening too.
            return dealStep_ != RequestCode::initNewDeal;
        default:
            return true;
    }
}

void PushTally::receivedForeignToken() {
    const std::lock_guard lock(mutex_);
    ++totals_.foreignToken;
}

void PushTally::receivedUndecodable() {
    const std::lock_guard lock(mutex_);
    ++totals_.undecodable;
}

PushTotals PushTally::totals() const {
    const std::lock_guard lock(mutex_);
    return totals_;
}

std::optional<Clock::time_point> PushTally::waitFor(RequestCode kind, std::uint64_t count,
                                                    Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    const bool reached =
        arrived_.wait_until(lock, deadline, [&] { return totals_.of(kind) >= count; });
    if (!reached) {
        return std::nullopt;
    }
    return lastArrival_[static_cast<std::size_t>(kind)];
}

}  // namespace tarvendo::bot
