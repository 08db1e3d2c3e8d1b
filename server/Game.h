#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "protocol/Request.h"
#include "server/Deal.h"
#include "server/GameSnapshot.h"
#include "server/LoginForm.h"
#include "server/Outcome.h"
#include "server/Roster.h"

namespace tarvendo::server {

inline constexpr std::size_t kDefaultMaxPlayers = 24;

// The rules and state of the one game a server hosts. Pure: it never touches
// a socket; every call returns the answer and the pushes it causes.
class Game {
public:
    using Clock = std::chrono::steady_clock;

    // grace: how long the seat of a player whose connection went without a
    // logout is kept for a comeback (zero: the player leaves at once).
    explicit Game(std::size_t maxPlayers = kDefaultMaxPlayers,
                  std::chrono::milliseconds grace = std::chrono::milliseconds{0})
        : maxPlayers_(maxPlayers), grace_(grace) {}

    // Checks a login before anyone connects to the client server: the form,
    // or the refusal to answer with. A login that carries the token of a
    // seat, or the name of an away seat from that seat's address, resumes it.
    std::variant<LoginForm, Outcome> reviewLogin(const Request& request,
                                                 const std::string& peerAddress = {}) const;
    // Checks the form again (the game may have changed meanwhile) and seats
    // the player under the given fresh token, or gives the seat back.
    Outcome admit(const LoginForm& form, const std::string& token);
    // Every request that is not a login.
    Outcome handle(const Request& request);
    // A player who left without logging out leaves at once; nothing happens
    // for an unknown token.
    Outcome remove(const std::string& token);
    // The player's connection went without a logout: the seat is kept, away,
    // for the grace period, and nobody is told (without one: remove()).
    Outcome leaveWithoutLogout(const std::string& token, Clock::time_point now);
    // Every away seat whose grace has run out, gone as after a logout.
    std::vector<Outcome> expireAway(Clock::time_point now);
    // When the next away seat runs out; absent when none is away.
    std::optional<Clock::time_point> nextExpiry() const;
    bool isAway(const std::string& token) const { return awayUntil_.contains(token); }

    const Roster& roster() const { return roster_; }

    const Deal& deal() const { return deal_; }

    GameSnapshot snapshot() const;
    // The stored game, every seat away with a fresh grace period: its
    // players log back in to resume it.
    void restore(const GameSnapshot& snapshot, Clock::time_point now);

private:
    std::optional<Outcome> seatRefusal(const LoginForm& form) const;
    const Player* seatToResume(const Request& request, const LoginForm& form) const;
    Outcome resume(const Player& player);
    Outcome welcome(const Player& player, bool resumed) const;
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
    std::chrono::milliseconds grace_;
    std::map<std::string, Clock::time_point> awayUntil_;  // by token
    Roster roster_;
    std::optional<std::string> adminToken_;
    std::string gameName_;
    Deal deal_;
};

}  // namespace tarvendo::server
