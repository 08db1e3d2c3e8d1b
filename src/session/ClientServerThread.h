#pragma once

#include <chrono>
#include <memory>

#include "session/PushedRequests.h"
#include "transport/ByteBuffer.h"
#include "transport/Frame.h"
#include "transport/Server.h"

namespace tarvendo {

// Pushes are a few hundred bytes sent at once: a frame over 1 MiB, or one
// that stalls once started, ends the connection instead of holding memory or
// the thread.
inline constexpr FrameLimits kClientServerFrameLimits{kMaxFrameLength, std::chrono::seconds(5)};

// At most 8 connections at a time from any address but the game server's: a
// ninth closes the oldest of them, so a flood of silent connections cannot
// crowd out the game server's push connection.
inline constexpr std::size_t kMaxConnectionsPerStranger = 8;
ConnectionLimits clientServerLimits(const Shared& shared);

// Serves one connection of the game server to the client server: reads the
// pushed requests one after the other and turns each into its event.
class ClientServerThread : public ServerThread {
public:
    ClientServerThread(std::shared_ptr<Socket> socket, PushReceiver receiver,
                       FrameLimits limits = kClientServerFrameLimits);

    // Ends when the peer closes or a read fails ("Connection lost", and the
    // event pushConnectionLost), or silently once closing was asked for. The descriptor is released
    // when the server lets go of this object, right after run() returns.
    void run() override;

private:
    bool isUsable() const;
    void handle(const ByteBuffer& payload);
    // The one answer the client server sends: to a push it cannot decode.
    void answerUnknownRequest();
    void reportLoss();

    const PushReceiver receiver_;
    FrameReader frames_;
    const std::uint64_t login_;   // the login during which the connection came
    bool carriedPushes_ = false;  // one came with the session's token
};

// Makes a ClientServerThread for every connection the client server accepts.
class ClientServerDelegate : public ServerDelegate {
public:
    explicit ClientServerDelegate(PushReceiver receiver,
                                  FrameLimits limits = kClientServerFrameLimits)
        : receiver_(receiver), limits_(limits) {}
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override;

private:
    const PushReceiver receiver_;
    const FrameLimits limits_;
};

}  // namespace tarvendo
