#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvendo {

// The process-wide session values. The main thread writes them at login and
// termination; connection threads read the token (every pushed request),
// the game name (the deal title) and isAdmin (PlayerStore::add), so every
// value is guarded.
class Shared {
public:
    Shared() = delete;

    static constexpr std::string_view ApplicationName = "Tarvendo Base";

    static std::optional<std::string> token();
    static void setToken(std::optional<std::string> token);
    static std::optional<std::string> playerName();
    static void setPlayerName(std::optional<std::string> name);
    static std::optional<std::string> gameName();
    static void setGameName(std::optional<std::string> name);
    static bool isAdmin();
    static void setAdmin(bool isAdmin);

    // Back to the start of a process: every value absent, not admin. For tests.
    static void reset();
};

}  // namespace tarvendo
