#pragma once

#include <cstdint>
#include <string>

#include "Address.h"
#include "Answer.h"
#include "RequestCode.h"

namespace tarvendo::client {

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

// Connects the process-wide connection if needed, remembers the server
// address, sends the login and, on OK, stores the token and game name and
// posts playerDidAdd for every player already in the game.
class LoginExchange {
public:
    LoginOutcome login(const Address& server, RequestCode code, const LoginForm& form);

private:
    static LoginOutcome outcomeOf(const Answer& answer);
    static void acceptLogin(const Answer& answer);
    static void announcePlayers(const Answer& answer);
};

}  // namespace tarvendo::client
