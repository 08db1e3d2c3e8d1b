#include "bot/Voter.h"

#include "protocol/DeckSymbols.h"

namespace tarvendo::bot {

VoteCounts& VoteCounts::operator+=(const VoteCounts& other) {
    sent += other.sent;
    refused += other.refused;
    return *this;
}

Voter::Voter(RequestLine& line, std::string playerName, std::optional<std::string> fixedSymbol,
             std::chrono::milliseconds think)
    : line_(line),
      playerName_(std::move(playerName)),
      fixedSymbol_(std::move(fixedSymbol)),
      think_(think) {}

Voter::~Voter() {
    stop();
}

void Voter::start() {
    thread_ = std::thread([this] { run(); });
}

void Voter::playStarted() {
    {
        const std::lock_guard lock(mutex_);
        ++pendingPlays_;
    }
    wake_.notify_one();
}

void Voter::newDeal() {
    const std::lock_guard lock(mutex_);
    elected_ = false;
}

void Voter::cardKept() {
    const std::lock_guard lock(mutex_);
    elected_ = true;
}

bool Voter::hasElected() const {
    const std::lock_guard lock(mutex_);
    return elected_;
}

void Voter::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

VoteCounts Voter::counts() const {
    const std::lock_guard lock(mutex_);
    return counts_;
}

void Voter::run() {
    while (waitForTurn()) {
        elect();
    }
}

bool Voter::waitForTurn() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || pendingPlays_ > 0; });
        // Like a person, think before electing; a stop cuts the thinking short.
        if (wake_.wait_for(lock, think_, [this] { return stopping_; })) {
            return false;
        }
        pendingPlays_ = 0;  // several plays in a row still get one vote
        if (!elected_) {
            elected_ = true;  // one card a deal; a kept one counts
            return true;
        }
    }
}

void Voter::elect() {
    const Json body{{"player_name", playerName_}, {"symbol", pickSymbol()}};
    const std::optional<Answer> answer = line_.send(RequestCode::cardElected, body);
    const std::lock_guard lock(mutex_);
    ++counts_.sent;
    if (!answer || answer->message != AnswerMessage::OK) {
        ++counts_.refused;
    }
}

std::string Voter::pickSymbol() {
    if (fixedSymbol_) {
        return *fixedSymbol_;
    }
    std::uniform_int_distribution<std::size_t> pick(0, kDeckSymbols.size() - 1);
    return std::string(kDeckSymbols[pick(random_)]);
}

}  // namespace tarvendo::bot
