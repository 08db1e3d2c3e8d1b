#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/ToolBox.h"

namespace tarvendo::server {

struct Player {
    std::string name;
    std::string token;
    std::string address;  // where the player logged in from
};

// The players of the game in the order they joined.
class Roster {
public:
    const Player* byToken(std::string_view token) const;
    const Player* byName(std::string_view name) const;
    bool hasName(std::string_view name) const { return byName(name) != nullptr; }
    std::size_t size() const { return players_.size(); }
    bool empty() const { return players_.empty(); }
    const std::vector<Player>& players() const { return players_; }
    // A JSON array of the names, in joining order.
    Json names() const;

    void add(Player player) { players_.push_back(std::move(player)); }
    std::optional<Player> remove(std::string_view token);

private:
    std::vector<Player> players_;
};

}  // namespace tarvendo::server
