#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bot/BotOptions.h"
#include "bot/PushTally.h"
#include "bot/RequestLine.h"
#include "bot/Voter.h"
#include "protocol/Request.h"
#include "transport/ServingThread.h"

namespace tarvendo::bot {

// One headless player: its own request connection, its own client server
// that reads the game server's pushes, and a voter.
class BotPlayer {
public:
    BotPlayer(std::string name, const BotOptions& options);
    ~BotPlayer();
    BotPlayer(const BotPlayer&) = delete;
    BotPlayer& operator=(const BotPlayer&) = delete;

    // Listens for pushes on the port (0: any) and serves on a thread of its own.
    bool startClientServer(std::int32_t port);
    // Connects and logs in; why not, or absent on success.
    std::optional<std::string> login(const Address& server, bool asAdmin,
                                     const std::string& gameName);
    // Logs out if logged in, then stops every thread. Idempotent.
    void leave();

    // A push with this player's token; called on the push connection's thread.
    void received(const Request& push);

    const std::string& name() const { return name_; }
    RequestLine& line() { return line_; }
    PushTally& tally() { return tally_; }
    VoteCounts votes() const { return voter_.counts(); }
    // How many players the game has, as the pushes tell.
    int playersInGame() const { return playersInGame_.load(); }

private:
    const std::string name_;
    RequestLine line_;
    PushTally tally_;
    Voter voter_;
    std::atomic<int> playersInGame_{0};
    std::atomic<bool> loggedIn_{false};
    std::shared_ptr<ServerDelegate> listener_;
    std::unique_ptr<ServingThread> clientServer_;
};

}  // namespace tarvendo::bot
