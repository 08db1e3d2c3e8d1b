#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include "ClientServerThread.h"
#include "Request.h"
#include "Server.h"
#include "ToolBox.h"

namespace tarvendo::support {

// A client server on a free port, serving on a thread of its own until the
// harness ends.
class ClientServerHarness {
public:
    explicit ClientServerHarness(FrameLimits limits = kClientServerFrameLimits);
    ~ClientServerHarness();

    std::int32_t port() const { return port_; }
    // Ends serving and every connection; waits for their threads.
    void stop();
    // Waits until every connection's run() has returned; false on time-out.
    // A connection counts once it has been accepted: wait for its first event.
    bool waitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    std::shared_ptr<ClientServerDelegate> delegate_;
    std::shared_ptr<Server> server_;
    std::int32_t port_ = 0;
    std::thread serving_;
};

// The game server's end of one connection to the client server.
class PushPeer {
public:
    explicit PushPeer(std::int32_t port);

    void push(const Request& request);
    void sendFrame(const ByteBuffer& payload);
    void sendBytes(const ByteBuffer& bytes);
    // Closes the connection from this side.
    void close();

    // The payload of the next frame, or absent when none comes in time.
    std::optional<ByteBuffer> readFrameWithin(std::chrono::milliseconds timeout);
    // True when the client server has closed its end within the time-out.
    bool seesEndOfStream(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // True when nothing at all has been sent to this peer so far.
    bool hasNothingToRead();

private:
    std::shared_ptr<Socket> socket_;
};

// A push with a JSON data object.
Request pushWithData(RequestCode code, std::optional<std::string> token, const Json& data);

}  // namespace tarvendo::support
