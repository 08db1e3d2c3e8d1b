#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Answer.h"
#include "protocol/Exchange.h"
#include "protocol/RequestCode.h"
#include "transport/Address.h"

namespace tarvendo::client {

class ClientSession;

// What the login form asks of the game server.
struct LoginForm {
    std::string playerName;  // trimmed
    std::string gameName;    // trimmed; empty for a player
    std::int32_t clientServerPort = 51000;
    // The token of a seat to take back after a loss; none for a first login.
    std::optional<std::string> resumeToken;
};

// An accepted login: what a comeback logs in with.
struct LoginRecord {
    Address server;
    RequestCode code = RequestCode::loginPlayer;
    LoginForm form;
};

enum class LoginOutcome {
    loggedIn,
    cantConnect,
    noAnswer,  // closed, timed out or unreadable: ends silently
    adminNotLoggedIn,
    adminAlreadyLoggedIn,
    userNameAlreadyInUse,
    tokenRefused,  // the game server does not know the seat to take back
    refused,       // any other answer: ends silently
};

// Connects the session's connection if needed, remembers the server
// address, sends the login and, on OK, stores the token and game name and
// posts playerDidAdd for every player already in the game (after
// loginRenewed when it took a seat back).
class LoginExchange {
public:
    explicit LoginExchange(ClientSession& session) : session_(session) {}

    // The connect and the answer each get the time-out.
    LoginOutcome login(const Address& server, RequestCode code, const LoginForm& form,
                       std::chrono::milliseconds timeout = kExchangeTimeout);
    // The last login that was accepted: what a comeback logs in with.
    const std::optional<LoginRecord>& lastLogin() const { return lastLogin_; }

private:
    static LoginOutcome outcomeOf(const Answer& answer);
    void acceptLogin(const Answer& answer);
    void announcePlayers(const Answer& answer);

    ClientSession& session_;
    std::optional<LoginRecord> lastLogin_;
};

}  // namespace tarvendo::client
