#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "session/EventObserver.h"
#include "session/PlayerStore.h"

namespace tarvendo::client {

// The table as the pushed events tell it: who sits there with which symbol,
// the deal under way and whether its cards are open. Events change it on
// connection threads; readers take whole snapshots, so a deal's title is
// never paired with another deal's cards, and each change comes with the
// snapshot taken as it was made, so a reader that runs later misses none.
class TableModel {
public:
    struct Snapshot {
        // Counts the deals begun; a deal replayed after a renewed login with
        // the title it had keeps its number.
        std::uint64_t deal = 0;
        std::string title;
        bool opened = false;
        // Name and symbol, in ascending order of the names' UTF-8 bytes.
        std::vector<std::pair<std::string, std::string>> players;
    };

    // Told on the posting thread after each event that changed what shows.
    TableModel(NotificationCenter& center, const Shared& shared,
               std::function<void(Snapshot)> changed);
    ~TableModel();
    TableModel(const TableModel&) = delete;
    TableModel& operator=(const TableModel&) = delete;

    Snapshot snapshot() const;

private:
    // The change runs under the lock; it returns whether anything shows
    // differently.
    void observe(Event event, std::function<bool(const UserInfo&)> change);
    void registerObservers();
    bool dealDidStart(const UserInfo& info);
    bool loginDidRenew();
    Snapshot snapshotLocked() const;  // with mutex_ held

    const std::function<void(Snapshot)> changed_;
    mutable std::mutex mutex_;         // across every change and snapshot; before the store's
    mutable PlayerStore playerStore_;  // locks itself, so reading changes it
    std::uint64_t deal_ = 0;
    std::string title_;
    bool opened_ = false;
    bool renewed_ = false;     // a login was renewed and no deal has begun since
    EventObserver observers_;  // last: removed before the fields its blocks use
};

}  // namespace tarvendo::client
