#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "protocol/Exchange.h"

namespace tarvendo {

// How an exchange on the game server connection ended.
enum class ExchangeEnd {
    answered,
    noAnswer,        // an unreadable answer: the connection still stands
    connectionLost,  // the game server closed, failed or did not answer in time
};

// Told of every exchange on a game server connection, on the thread that
// makes it, so the user interface can show that it waits or what went wrong.
class ExchangeWatcher {
public:
    virtual ~ExchangeWatcher() = default;
    virtual void exchangeStarted() = 0;
    virtual void exchangeEnded(ExchangeEnd end) = 0;
};

// A client's one connection to the game server. Exchanges are made from the
// main thread only, one at a time; isConnectedToServer may be read anywhere.
class GameServerConnection {
public:
    GameServerConnection() = default;
    GameServerConnection(const GameServerConnection&) = delete;
    GameServerConnection& operator=(const GameServerConnection&) = delete;

    // Created on first use; the client cannot work without it.
    Socket& socket();
    // True once a connect succeeded; false again after the connection closed.
    bool isConnectedToServer() const { return isConnectedToServer_.load(); }

    // Connects unless connected already; a closed socket is opened afresh
    // first; the handshake may take the time-out. Returns isConnectedToServer.
    bool connect(const Address& server, std::chrono::milliseconds timeout = kExchangeTimeout);
    // Between exchanges: true when the game server has closed the connection
    // or it failed (nothing is read).
    bool peerHasClosed();
    // One request and its answer; absent means no answer.
    std::optional<Answer> exchange(const Request& request,
                                   std::chrono::milliseconds timeout = kExchangeTimeout);
    // After the logout answer: shut down, release, and mark as not connected.
    void close();

    // Replaces the watcher; nullptr removes it.
    void setWatcher(std::shared_ptr<ExchangeWatcher> watcher);

private:
    std::shared_ptr<ExchangeWatcher> watcher();

    std::shared_ptr<Socket> socket_;
    std::atomic<bool> isConnectedToServer_{false};
    std::mutex watcherMutex_;  // guards watcher_
    std::shared_ptr<ExchangeWatcher> watcher_;
};

}  // namespace tarvendo
