#include "bot/Team.h"

namespace tarvendo::bot {

namespace {

constexpr RequestCode kPushKinds[] = {RequestCode::playerAdded, RequestCode::playerRemoved,
                                      RequestCode::initNewDeal, RequestCode::play,
                                      RequestCode::openCards,   RequestCode::cardElected};

}  // namespace

Team::Team(BotOptions options) : options_(std::move(options)) {
    for (int i = 1; i <= options_.players; ++i) {
        players_.push_back(
            std::make_unique<BotPlayer>(options_.namePrefix + std::to_string(i), options_));
    }
}

Team::~Team() {
    leave();
}

std::optional<std::string> Team::join() {
    for (std::size_t i = 0; i < players_.size(); ++i) {
        const std::int32_t port = options_.clientPortBase == 0
                                      ? 0
                                      : options_.clientPortBase + static_cast<std::int32_t>(i);
        BotPlayer& player = *players_[i];
        if (!player.startClientServer(port)) {
            return player.name() + ": cannot listen on port " + std::to_string(port);
        }
        const bool asAdmin = options_.admin && i == 0;
        if (std::optional<std::string> problem =
                player.login(options_.server, asAdmin, options_.gameName)) {
            return problem;
        }
    }
    return std::nullopt;
}

void Team::leave() {
    for (const auto& player : players_) {
        player->leave();
    }
}

BotPlayer* Team::admin() {
    return options_.admin && !players_.empty() ? players_.front().get() : nullptr;
}

std::vector<BotPlayer*> Team::players() const {
    std::vector<BotPlayer*> players;
    for (const auto& player : players_) {
        players.push_back(player.get());
    }
    return players;
}

std::string Team::summary() const {
    PushTotals pushes;
    VoteCounts votes;
    for (const auto& player : players_) {
        pushes += player->tally().totals();
        votes += player->votes();
    }
    std::string text = "pushes received:";
    for (const RequestCode kind : kPushKinds) {
        text += " " + std::string(name(kind)) + "=" + std::to_string(pushes.of(kind));
    }
    text += "\nvotes sent: " + std::to_string(votes.sent) +
            " (not accepted: " + std::to_string(votes.refused) + ")" +
            "\npushes with another token: " + std::to_string(pushes.foreignToken) +
            ", undecodable pushes: " + std::to_string(pushes.undecodable) +
            ", pushes out of deal order: " + std::to_string(pushes.outOfOrder);
    return text;
}

}  // namespace tarvendo::bot
