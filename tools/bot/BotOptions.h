#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "program/OptionReader.h"
#include "transport/Address.h"

namespace tarvendo::bot {

struct BotOptions {
    Address server;
    int players = 0;
    std::string namePrefix = "Bot";
    // Player i listens on base + i; 0 lets the system pick every port.
    std::int32_t clientPortBase = 52000;
    std::optional<std::string> vote;  // absent: a random card each deal
    std::chrono::milliseconds think{500};
    bool admin = false;  // the first player logs in as admin and leads the deals
    int deals = 0;
    std::string gameName = "Demo";
    std::optional<std::chrono::seconds> duration;  // absent: until a signal
};

using BotCommand = Command<BotOptions>;

BotCommand parseBotCommand(std::vector<std::string> arguments);
std::string botUsage();

}  // namespace tarvendo::bot
