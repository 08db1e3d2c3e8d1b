#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "protocol/Request.h"
#include "server/Deal.h"
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

    const Deal& deal() const { return deal_; }

private:
    std::optional<Outcome> seatRefusal(const LoginForm& form) const;
    Outcome startDeal(const Player& admin, const Request& request);
    Outcome play(const Player& admin);
    Outcome openCards(const Player& admin);
    Outcome electCard(const Player& player, const Request& request);
    Outcome leave(const Player& player);
    bool isAdmin(const Player& player) const { return adminToken_ == player.token; }
    // The same request to every player, each with its own token.
    std::vector<Push> pushToAll(RequestCode code, const std::optional<Json>& body,
                                const std::string& exceptToken = {}) const;
    // The player's card to every player, sealed for all but its own player
    // until the opening.
    std::vector<Push> announceCard(const Player& voter) const;
    // The deal as a newcomer must see it: title, play, cards, opening.
    std::vector<Push> replayFor(const Player& newcomer) const;
    // After a departure that left every remaining player with a card, the
    // admin's own card again: a client counts who is still on "#" only when
    // a card arrives, so this is what enables its Open.
    std::vector<Push> readinessPush() const;

    std::size_t maxPlayers_;
    Roster roster_;
    std::optional<std::string> adminToken_;
    std::string gameName_;
    Deal deal_;
};

}  // namespace tarvendo::server
