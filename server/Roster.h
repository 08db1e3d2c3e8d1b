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
};

// The players of the game in the order they joined.
class Roster {
public:
    const Player* byToken(std::string_view token) const;
    bool hasName(std::string_view name) const;
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
