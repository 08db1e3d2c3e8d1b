#include "bot/BotPlayer.h"

#include "bot/PushListener.h"
#include "protocol/ToolBox.h"

namespace tarvendo::bot {

BotPlayer::BotPlayer(std::string name, const BotOptions& options)
    : name_(std::move(name)), voter_(line_, name_, options.vote, options.think) {
    voter_.start();
}

BotPlayer::~BotPlayer() {
    leave();
}

bool BotPlayer::startClientServer(std::int32_t port) {
    listener_ = std::make_shared<PushListener>(*this);
    clientServer_ = ServingThread::start(Server::create(listener_), port);
    return clientServer_ != nullptr;
}

std::optional<std::string> BotPlayer::login(const Address& server, bool asAdmin,
                                            const std::string& gameName) {
    if (!clientServer_) {
        return name_ + ": the client server is not listening";
    }
    if (!line_.connect(server)) {
        return name_ + ": cannot connect to " + server.address + ":" + std::to_string(server.port);
    }
    const Json body{{"player_name", name_},
                    {"game_name", gameName},
                    {"client_server_port", clientServer_->port()}};
    const std::optional<Answer> answer =
        line_.send(asAdmin ? RequestCode::loginAdmin : RequestCode::loginPlayer, body);
    if (!answer) {
        return name_ + ": no answer to the login";
    }
    if (answer->message != AnswerMessage::OK) {
        return name_ + ": login refused: " + std::string(text(answer->message)) + " " +
               answer->info.value_or("");
    }
    const std::optional<Json> players = ToolBox::fromJsonObject(answer->data);
    playersInGame_.fetch_add(players && players->is_array() ? static_cast<int>(players->size())
                                                            : 1);
    line_.setToken(answer->token);
    loggedIn_.store(true);
    return std::nullopt;
}

void BotPlayer::leave() {
    voter_.stop();  // no vote may follow the logout
    if (loggedIn_.exchange(false)) {
        line_.send(RequestCode::logout);
    }
    line_.close();
    if (clientServer_) {
        clientServer_->stop();
    }
}

void BotPlayer::received(const Request& push) {
    switch (push.request) {
        case RequestCode::playerAdded:
            playersInGame_.fetch_add(1);
            break;
        case RequestCode::playerRemoved:
            playersInGame_.fetch_sub(1);
            break;
        case RequestCode::play:
            voter_.playStarted();
            break;
        default:
            break;
    }
    tally_.received(push.request);
}

}  // namespace tarvendo::bot
