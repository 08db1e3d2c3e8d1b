#pragma once

#include <atomic>
#include <memory>

#include "server/EventLog.h"
#include "server/GameHost.h"
#include "transport/Frame.h"
#include "transport/Server.h"

namespace tarvendo::server {

// Reads a player's requests one after the other on the connection's own
// thread and answers each. The first request must be complete within the
// limits' totalTimeout of the connection opening, so silent connections
// cannot hold the server's places; after it, an idle connection is kept as
// long as the player likes. A frame that starts has to arrive in full within
// the stall limit.
class RequestConnection : public ServerThread {
public:
    RequestConnection(std::shared_ptr<Socket> socket, ConnectionId id, GameHost& host,
                      EventLog& log, FrameLimits limits);
    void run() override;

private:
    // False once the connection is over.
    bool serveNextFrame();
    Answer answerFor(const ByteBuffer& payload);
    void reportLoss(FrameStatus status);

    const ConnectionId id_;
    bool answeredOne_ = false;  // only the connection's thread uses it
    GameHost& host_;
    EventLog& log_;
    const FrameLimits limits_;
    FrameReader frames_;
};

// Makes one RequestConnection per accepted connection.
class RequestConnections : public ServerDelegate {
public:
    RequestConnections(GameHost& host, EventLog& log, FrameLimits limits)
        : host_(host), log_(log), limits_(limits) {}
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override;

private:
    GameHost& host_;
    EventLog& log_;
    const FrameLimits limits_;
    std::atomic<ConnectionId> nextId_{1};
};

}  // namespace tarvendo::server
