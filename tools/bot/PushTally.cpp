#include "PushTally.h"

namespace tarvendo::bot {

PushTotals& PushTotals::operator+=(const PushTotals& other) {
    for (std::size_t i = 0; i < byKind.size(); ++i) {
        byKind[i] += other.byKind[i];
    }
    foreignToken += other.foreignToken;
    undecodable += other.undecodable;
    return *this;
}

void PushTally::received(RequestCode kind) {
    const Clock::time_point now = Clock::now();
    {
        const std::lock_guard lock(mutex_);
        const auto index = static_cast<std::size_t>(kind);
        ++totals_.byKind[index];
        lastArrival_[index] = now;
    }
    arrived_.notify_all();
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
