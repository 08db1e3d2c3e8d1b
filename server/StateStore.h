#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "server/GameSnapshot.h"

struct sqlite3;

namespace tarvendo::server {

// The game on disk, so that a restarted server resumes it: an SQLite
// database in WAL mode holding the game, its seats and the current deal, and
// every opened deal with each player's card. Each save is committed, and
// synced, before it returns. Used under the game host's lock only.
class StateStore {
public:
    // Opens the file, or makes it when it does not exist or is empty. A file
    // that is not such a database, or a damaged one, is refused with the
    // reason and left as it was.
    static std::variant<std::unique_ptr<StateStore>, std::string> open(const std::string& path);
    ~StateStore();
    StateStore(const StateStore&) = delete;
    StateStore& operator=(const StateStore&) = delete;

    // The stored game; absent when none was stored yet.
    std::optional<GameSnapshot> load() const;
    // Replaces the stored game; an opened deal also goes into the history
    // (a late vote updates it). False when it could not be written.
    bool save(const GameSnapshot& snapshot);
    // The history as CSV: a header, then one row per player per opened deal.
    bool exportHistory(std::ostream& out) const;

private:
    explicit StateStore(sqlite3* database) : database_(database) {}
    bool saveGame(const GameSnapshot& snapshot);
    bool saveOpening(const GameSnapshot& snapshot);

    sqlite3* database_;
};

}  // namespace tarvendo::server
