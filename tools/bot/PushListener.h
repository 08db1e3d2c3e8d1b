#pragma once

#include <cstdint>
#include <memory>

#include "transport/Frame.h"
#include "transport/Server.h"

namespace tarvendo::bot {

class BotPlayer;

// The client server's delegate: one PushReader per connection the game
// server opens.
class PushListener : public ServerDelegate {
public:
    explicit PushListener(BotPlayer& player) : player_(player) {}
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override;

private:
    BotPlayer& player_;
};

// Reads pushes one after the other, checks the token as a client does and
// hands the player those meant for it.
class PushReader : public ServerThread {
public:
    PushReader(std::shared_ptr<Socket> socket, BotPlayer& player);
    void run() override;

private:
    void handle(const ByteBuffer& payload);

    BotPlayer& player_;
    FrameReader frames_;
    const std::uint64_t login_;   // the login during which the game server connected
    bool carriedPushes_ = false;  // one came with this player's token
};

}  // namespace tarvendo::bot
