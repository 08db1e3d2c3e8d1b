#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "session/Mutex.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"

namespace tarvendo {

// Player name to card symbol of the current deal, "#" meaning not chosen yet.
// Written by connection threads and read by the main thread; every operation
// holds the mutex for its whole length.
class PlayerStore {
public:
    static constexpr const char* kNotChosen = "#";

    // Posts on the centre; reads isAdmin from the session values.
    PlayerStore(NotificationCenter& center, const Shared& shared);

    // Sets the symbol, adding the player if new. In an admin's client, posts
    // cardsReadyToOpen when nobody is left on "#", with the lock still held:
    // its observers must not call back into this store.
    void add(const std::string& playerName, const std::string& symbol);
    void remove(const std::string& playerName);
    // The empty text for a player not in the store.
    std::string value(const std::string& playerName);
    // In no particular order.
    std::vector<std::string> allKeys();
    // Nobody at the table any more.
    void clear();
    // Every player back to "#".
    void initNewDeal();

private:
    bool everyoneHasChosen() const;  // with mutex_ held

    NotificationCenter& center_;
    const Shared& shared_;
    Mutex mutex_;
    std::unordered_map<std::string, std::string> data_;  // guarded by mutex_
};

}  // namespace tarvendo
