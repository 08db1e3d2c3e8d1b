#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "Address.h"
#include "Answer.h"
#include "Request.h"
#include "Socket.h"

namespace tarvendo {

// How long an exchange waits for its answer before the connection is given up.
inline constexpr std::chrono::milliseconds kExchangeTimeout{10'000};
// The logout at termination gets less: quitting must never hang.
inline constexpr std::chrono::milliseconds kLogoutTimeout{2'000};

// Writes the request as one frame and reads one answer frame on the given
// connection. Absent means no answer: closed, failed, timed out or unreadable.
// A time-out closes the connection: it could no longer pair answers with requests.
std::optional<Answer> exchange(Socket& connection, const Request& request,
                               std::chrono::milliseconds timeout = kExchangeTimeout);

// The same over the process-wide connection to the game server.
std::optional<Answer> exchange(const Request& request,
                               std::chrono::milliseconds timeout = kExchangeTimeout);

// How an exchange on the process-wide connection ended.
enum class ExchangeEnd {
    answered,
    noAnswer,        // an unreadable answer: the connection still stands
    connectionLost,  // the game server closed, failed or did not answer in time
};

// Told of every exchange on the process-wide connection, on the thread that
// makes it, so the user interface can show that it waits or what went wrong.
class ExchangeWatcher {
public:
    virtual ~ExchangeWatcher() = default;
    virtual void exchangeStarted() = 0;
    virtual void exchangeEnded(ExchangeEnd end) = 0;
};

// Replaces the watcher; nullptr removes it.
void setExchangeWatcher(std::shared_ptr<ExchangeWatcher> watcher);

// Connects the process-wide connection unless it is connected already; a
// closed one is opened afresh first. Returns isConnectedToServer.
bool connectToGameServer(const Address& server);

// After the logout answer: shut down, release, and mark as not connected.
void closeGameServerConnection();

// Connects a socket; the port must lie in 0...65535.
bool connectSocket(Socket& connection, const Address& server);

}  // namespace tarvendo
