#include "server/Roster.h"

#include <algorithm>

namespace tarvendo::server {

const Player* Roster::byToken(std::string_view token) const {
    const auto found =
        std::find_if(players_.begin(), players_.end(),
                     [token](const Player& player) { return player.token == token; });
    return found == players_.end() ? nullptr : &*found;
}

const Player* Roster::byName(std::string_view name) const {
    const auto found = std::find_if(players_.begin(), players_.end(),
                                    [name](const Player& player) { return player.name == name; });
    return found == players_.end() ? nullptr : &*found;
}

Json Roster::names() const {
    Json names = Json::array();
    for (const Player& player : players_) {
        names.push_back(player.name);
    }
    return names;
}

std::optional<Player> Roster::remove(std::string_view token) {
    const auto found =
        std::find_if(players_.begin(), players_.end(),
                     [token](const Player& player) { return player.token == token; });
    if (found == players_.end()) {
        return std::nullopt;
    }
    Player removed = std::move(*found);
    players_.erase(found);
    return removed;
}

}  // namespace tarvendo::server
