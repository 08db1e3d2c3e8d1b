#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/Deal.h"

namespace tarvendo::server {

// Everything of a game that a restarted server needs to resume it.
struct GameSnapshot {
    struct Seat {
        std::string name;
        std::string token;
        std::string address;
        std::optional<std::string> symbol;  // the card of the current deal

        bool operator==(const Seat&) const = default;
    };

    std::string gameName;
    std::optional<std::string> adminToken;
    std::vector<Seat> seats;      // in join order
    std::int64_t dealNumber = 0;  // counts the deals of the game, 1 for the first
    std::string dealTitle;
    Deal::Phase dealPhase = Deal::Phase::none;

    bool operator==(const GameSnapshot&) const = default;
};

}  // namespace tarvendo::server
