#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "protocol/Request.h"
#include "server/LoginForm.h"
#include "server/Outcome.h"
#include "server/Roster.h"

namespace tarvendo::server {

inline constexpr std::size_t kDefaultMaxPlayers = 24;

// The rules and state of the one game a server hosts. Pure: it never touches
// a socket; every call returns the answer and the pushes it causes.
class Game {
public:
    explicit Game(std::size_t maxPlayers = kDefaultMaxPlayers) : maxPlayers_(maxPlayers) {}

    // Checks a login before anyone connects to the client server: the form,
    // or the refusal to answer with.
    std::variant<LoginForm, Outcome> reviewLogin(const Request& request) const;
    // Checks the form again (the game may have changed meanwhile) and seats
    // the player under the given fresh token.
    Outcome admit(const LoginForm& form, const std::string& token);
    // Every request that is not a login.
    Outcome handle(const Request& request);
    // A player who left without logging out; nothing happens for an unknown token.
    Outcome remove(const std::string& token);

    const Roster& roster() const { return roster_; }

private:
    // Voting is open from play of the current deal on, until the next deal.
    enum class Phase { noDeal, dealing, voting };

    std::optional<Outcome> seatRefusal(const LoginForm& form) const;
    Outcome startDeal(const Player& admin, const Request& request);
    Outcome announce(const Player& admin, RequestCode code);
    Outcome electCard(const Player& player, const Request& request);
    Outcome leave(const Player& player);
    bool isAdmin(const Player& player) const { return adminToken_ == player.token; }
    // The same request to every player, each with its own token.
    std::vector<Push> pushToAll(RequestCode code, const std::optional<Json>& body,
                                const std::string& exceptToken = {}) const;

    std::size_t maxPlayers_;
    Roster roster_;
    std::optional<std::string> adminToken_;
    std::string gameName_;
    Phase phase_ = Phase::noDeal;
};

}  // namespace tarvendo::server
