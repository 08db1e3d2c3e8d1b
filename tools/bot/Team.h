#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bot/BotOptions.h"
#include "bot/BotPlayer.h"

namespace tarvendo::bot {

// All the players of one bot process.
class Team {
public:
    explicit Team(BotOptions options);
    ~Team();

    // Starts every client server and logs every player in, the admin first;
    // the first problem, or absent when everyone is in.
    std::optional<std::string> join();
    void leave();

    // The admin when the options ask for one and it is logged in.
    BotPlayer* admin();
    std::vector<BotPlayer*> players() const;
    // Pushes received per kind, votes sent and anything unexpected.
    std::string summary() const;

private:
    const BotOptions options_;
    std::vector<std::unique_ptr<BotPlayer>> players_;
};

}  // namespace tarvendo::bot
