#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "bot/RequestLine.h"

namespace tarvendo::bot {

struct VoteCounts {
    std::uint64_t sent = 0;
    std::uint64_t refused = 0;  // no answer, or an answer other than OK

    VoteCounts& operator+=(const VoteCounts& other);
};

// Elects one card a deal after its play push, once the think time has passed,
// on a thread of its own so the push connection is never held up.
class Voter {
public:
    Voter(RequestLine& line, std::string playerName, std::optional<std::string> fixedSymbol,
          std::chrono::milliseconds think);
    ~Voter();
    Voter(const Voter&) = delete;
    Voter& operator=(const Voter&) = delete;

    void start();
    // A play push came in; called from the push connection's thread.
    void playStarted();
    // A new deal: no card elected in it yet.
    void newDeal();
    // The game server holds a card of this player for the deal (a comeback):
    // no second vote.
    void cardKept();
    // This player's card for the deal is chosen: it needs no more news of it.
    bool hasElected() const;
    void stop();
    VoteCounts counts() const;

private:
    void run();
    // True when a play is pending and its think time is over; false on stop.
    bool waitForTurn();
    void elect();
    std::string pickSymbol();

    RequestLine& line_;
    const std::string playerName_;
    const std::optional<std::string> fixedSymbol_;
    const std::chrono::milliseconds think_;
    std::mt19937 random_{std::random_device{}()};  // only the voter thread uses it
    mutable std::mutex mutex_;                     // guards everything below
    std::condition_variable wake_;
    int pendingPlays_ = 0;
    bool elected_ = false;  // in the current deal
    bool stopping_ = false;
    VoteCounts counts_;
    std::thread thread_;
};

}  // namespace tarvendo::bot
