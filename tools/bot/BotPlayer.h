#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

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
    // The push connection made during that login ended: the game server went
    // away, so the player logs in again with its token until it is back.
    void pushConnectionEnded(std::uint64_t login);
    // Counts the logins begun.
    std::uint64_t loginCount() const { return logins_.load(); }

    const std::string& name() const { return name_; }
    RequestLine& line() { return line_; }
    PushTally& tally() { return tally_; }
    VoteCounts votes() const { return voter_.counts(); }
    // How many players the game has, as the pushes tell.
    int playersInGame() const { return playersInGame_.load(); }

private:
    // The login with the current token, if any; why not, or absent.
    std::optional<std::string> logIn();
    void keepOwnCard(const Request& push);
    void rejoin();

    const std::string name_;
    // Set by login(), before any push connection can end.
    Address server_;
    bool asAdmin_ = false;
    std::string gameName_;
    std::atomic<std::uint64_t> logins_{0};
    std::mutex rejoinMutex_;  // guards the fields below
    std::condition_variable leaving_;
    bool left_ = false;
    bool rejoinRunning_ = false;
    std::thread rejoining_;
    RequestLine line_;
    PushTally tally_;
    Voter voter_;
    std::atomic<int> playersInGame_{0};
    std::atomic<bool> loggedIn_{false};
    std::shared_ptr<ServerDelegate> listener_;
    std::unique_ptr<ServingThread> clientServer_;
};

}  // namespace tarvendo::bot
