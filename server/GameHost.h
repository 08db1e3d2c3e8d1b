#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "server/EventLog.h"
#include "server/Game.h"
#include "server/PushChannel.h"

namespace tarvendo::server {

// Identifies one request connection, so that its players leave with it.
using ConnectionId = std::uint64_t;

class StateStore;

struct HostSettings {
    // How long a login waits to reach the client server.
    std::chrono::milliseconds connectTimeout{5'000};
    PushChannel::Limits push;
    // Where every change of the game is kept before it is answered; none: nowhere.
    StateStore* store = nullptr;
};

// The network side of the game: sits between the request connections and the
// pure Game, owns the push channels and knows which connection logged in which
// player. Safe to call from every connection thread.
class GameHost {
public:
    GameHost(Game game, EventLog& log, HostSettings settings = {});
    ~GameHost();
    GameHost(const GameHost&) = delete;
    GameHost& operator=(const GameHost&) = delete;

    // The answer to one decoded request. peerAddress is where the request
    // came from: a login connects back to its client server there.
    Answer answer(const Request& request, ConnectionId connection,
                  const std::optional<std::string>& peerAddress);
    // A request connection began; close ends it from another thread (a
    // player who logs in again elsewhere leaves the old connection behind).
    void connectionOpened(ConnectionId connection, std::function<void()> close);
    // The answer to the connection's last request has been written: a player
    // it just logged in may now get its pushes, the deal so far first.
    void answerWritten(ConnectionId connection);
    // The connection ended; the players who logged in through it leave, or
    // are kept away for the game's grace period.
    void connectionClosed(ConnectionId connection);
    // Drops every push connection and refuses further logins; for shutdown.
    void close();

private:
    Answer login(const Request& request, ConnectionId connection,
                 const std::optional<std::string>& peerAddress);
    Answer seat(const LoginForm& form, ConnectionId connection, std::shared_ptr<Socket> pushSocket);
    std::shared_ptr<Socket> connectClientServer(const std::optional<std::string>& peerAddress,
                                                std::uint16_t port) const;
    void pushFailed(const std::string& token);
    // A player lost a connection without logging out. Needs mutex_.
    void lost(const std::string& token, std::string_view how);
    // A resumed seat's old connections are closed; it now belongs to the
    // connection that resumed it. Needs mutex_.
    void takeBack(const std::string& token, ConnectionId connection);
    // Lets away seats go as their grace runs out, until close().
    void expireAway();
    // Sends the pushes and lets a departed player go. Needs mutex_.
    void apply(const Outcome& outcome);
    // Each recipient's pushes as one burst, in order. Needs mutex_.
    void send(const std::vector<Push>& pushes);
    void retire(const std::string& token);
    void reapRetired();
    void logOutcome(RequestCode code, const Outcome& outcome);
    // Commits the game to the store, if there is one. Needs mutex_.
    void persist();

    EventLog& log_;
    const HostSettings settings_;
    std::mutex mutex_;  // guards everything below
    Game game_;
    std::map<std::string, std::unique_ptr<PushChannel>, std::less<>> channels_;  // by token
    std::multimap<ConnectionId, std::string> tokensByConnection_;
    std::map<ConnectionId, std::function<void()>> closers_;
    std::condition_variable awayChanged_;
    // Newcomers whose push channels wait for their login answer to be written.
    std::multimap<ConnectionId, std::string> awaitingAnswer_;
    // Channels that were let go; their threads are joined outside mutex_.
    std::vector<std::unique_ptr<PushChannel>> retired_;
    bool closed_ = false;
    std::thread expiring_;  // last: started once everything above is ready
};

}  // namespace tarvendo::server
