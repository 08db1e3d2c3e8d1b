#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "program/OptionReader.h"
#include "server/Game.h"

namespace tarvendo::server {

inline constexpr std::int32_t kDefaultServerPort = 50000;
inline constexpr std::size_t kMaxPlayersLimit = 128;
inline constexpr int kDefaultGraceSeconds = 60;

struct ServerOptions {
    std::int32_t port = kDefaultServerPort;  // 0: any free port
    bool advertise = true;
    std::size_t maxPlayers = kDefaultMaxPlayers;
    std::chrono::seconds grace{kDefaultGraceSeconds};
    std::optional<std::string> stateFile;
    bool exportHistory = false;  // print the state file's history and stop
};

using ServerCommand = Command<ServerOptions>;

ServerCommand parseServerCommand(std::vector<std::string> arguments);
std::string serverUsage();

}  // namespace tarvendo::server
