#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tarvendo {

// One client's session values. The main thread writes them at login and
// termination; connection threads read the token (every pushed request),
// the game name (the deal title) and isAdmin (PlayerStore::add), so every
// value is guarded.
class Shared {
public:
    static constexpr std::string_view ApplicationName = "Tarvendo Base";

    std::optional<std::string> token() const;
    void setToken(std::optional<std::string> token);
    std::optional<std::string> playerName() const;
    void setPlayerName(std::optional<std::string> name);
    std::optional<std::string> gameName() const;
    void setGameName(std::optional<std::string> name);
    // The game server's IPv4 address as its connection sees it; read by the
    // client server's accept thread.
    std::optional<std::string> gameServerAddress() const;
    void setGameServerAddress(std::optional<std::string> address);
    bool isAdmin() const { return isAdmin_.load(); }
    // Counts the login exchanges begun: a push connection belongs to the
    // login during which it was made.
    std::uint64_t loginCount() const { return loginCount_.load(); }
    std::uint64_t beginLogin() { return ++loginCount_; }
    void setAdmin(bool isAdmin) { isAdmin_.store(isAdmin); }

private:
    using Text = std::optional<std::string> Shared::*;
    std::optional<std::string> read(Text field) const;
    void write(Text field, std::optional<std::string> value);

    mutable std::mutex mutex_;  // guards the texts
    std::optional<std::string> token_;
    std::optional<std::string> playerName_;
    std::optional<std::string> gameName_;
    std::optional<std::string> gameServerAddress_;
    std::atomic<bool> isAdmin_{false};
    std::atomic<std::uint64_t> loginCount_{0};
};

}  // namespace tarvendo
