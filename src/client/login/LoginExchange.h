#pragma once

#include <cstdint>
#include <string>

#include "protocol/Answer.h"
#include "protocol/RequestCode.h"
#include "transport/Address.h"

namespace tarvendo::client {

class ClientSession;

// What the login form asks of the game server.
struct LoginForm {
    std::string playerName;  // trimmed
    std::string gameName;    // trimmed; empty for a player
    std::int32_t clientServerPort = 51000;
};

enum class LoginOutcome {
    loggedIn,
    cantConnect,
    noAnswer,  // closed, timed out or unreadable: ends silently
    adminNotLoggedIn,
    adminAlreadyLoggedIn,
    userNameAlreadyInUse,
    refused,  // any other answer: ends silently
};

// Connects the session's connection if needed, remembers the server
// address, sends the login and, on OK, stores the token and game name and
// posts playerDidAdd for every player already in the game.
class LoginExchange {
public:
    explicit LoginExchange(ClientSession& session) : session_(session) {}

    LoginOutcome login(const Address& server, RequestCode code, const LoginForm& form);

private:
    static LoginOutcome outcomeOf(const Answer& answer);
    void acceptLogin(const Answer& answer);
    void announcePlayers(const Answer& answer);

    ClientSession& session_;
};

}  // namespace tarvendo::client
