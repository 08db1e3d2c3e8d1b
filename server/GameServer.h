#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "server/EventLog.h"
#include "server/GameHost.h"
#include "server/RequestConnection.h"
#include "transport/Frame.h"
#include "transport/ServingThread.h"

namespace tarvendo::server {

struct GameServerSettings {
    std::size_t maxPlayers = kDefaultMaxPlayers;
    // How long a player who lost the connection keeps the seat (zero: none).
    std::chrono::milliseconds grace{0};
    HostSettings host;
    // Requests are small; a frame that starts must be complete within 10 s,
    // and a new connection must have sent its first request within 10 s.
    FrameLimits frames{64 * 1024, std::chrono::seconds(10), std::chrono::seconds(10)};
    // 256 at most, 32 from one address (or the player limit and 8, if that
    // is more): one host cannot take every place from the others.
    ConnectionLimits connections{256, 32};
    // Room for a whole team connecting at once.
    std::int32_t listenQueue = 128;
};

// The game server: one game, its host, and the listening server that runs a
// RequestConnection per client, serving on a thread of its own.
class GameServer {
public:
    // Absent when the port cannot be bound. onEnd runs on the serving thread
    // once serving ends, whether stopped or failed.
    static std::unique_ptr<GameServer> start(std::int32_t port, EventLog& log,
                                             const GameServerSettings& settings = {},
                                             std::function<void()> onEnd = {});
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    std::int32_t port() const { return serving_->port(); }
    std::size_t activeConnections() { return serving_->server().activeConnections(); }
    // Drops the push connections first, so no player is announced as leaving,
    // then every request connection. Idempotent.
    void stop();

private:
    GameServer(EventLog& log, const GameServerSettings& settings);

    GameHost host_;
    std::shared_ptr<RequestConnections> connections_;
    std::unique_ptr<ServingThread> serving_;
};

}  // namespace tarvendo::server
