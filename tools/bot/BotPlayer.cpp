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
    server_ = server;
    asAdmin_ = asAdmin;
    gameName_ = gameName;
    return logIn();
}

std::optional<std::string> BotPlayer::logIn() {
    if (!line_.connect(server_)) {
        return name_ + ": cannot connect to " + server_.address + ":" +
               std::to_string(server_.port);
    }
    const Json body{{"player_name", name_},
                    {"game_name", gameName_},
                    {"client_server_port", clientServer_->port()}};
    const bool again = logins_.fetch_add(1) > 0;
    const std::optional<Answer> answer =
        line_.send(asAdmin_ ? RequestCode::loginAdmin : RequestCode::loginPlayer, body);
    if (!answer) {
        return name_ + ": no answer to the login";
    }
    if (answer->message != AnswerMessage::OK) {
        return name_ + ": login refused: " + std::string(text(answer->message)) + " " +
               answer->info.value_or("");
    }
    const std::optional<Json> players = ToolBox::fromJsonObject(answer->data);
    const int count = players && players->is_array() ? static_cast<int>(players->size()) : 1;
    // Pushes may overtake the first answer; after a comeback it lists everyone.
    again ? playersInGame_.store(count) : static_cast<void>(playersInGame_.fetch_add(count));
    line_.setToken(answer->token);
    loggedIn_.store(true);
    return std::nullopt;
}

void BotPlayer::keepOwnCard(const Request& push) {
    const std::optional<Json> body = ToolBox::fromJsonObject(push.data);
    if (body && body->is_object() && body->value("player_name", "") == name_) {
        voter_.cardKept();
    }
}

void BotPlayer::pushConnectionEnded(std::uint64_t login) {
    std::unique_lock lock(rejoinMutex_);
    if (left_ || rejoinRunning_ || login != logins_.load() || !loggedIn_.load()) {
        return;
    }
    rejoinRunning_ = true;
    std::thread finished = std::move(rejoining_);
    rejoining_ = std::thread([this] { rejoin(); });
    lock.unlock();
    if (finished.joinable()) {
        finished.join();  // an earlier comeback, over by now
    }
}

void BotPlayer::rejoin() {
    constexpr std::chrono::milliseconds kPause{500};
    std::unique_lock lock(rejoinMutex_);
    while (!leaving_.wait_for(lock, kPause, [this] { return left_; })) {
        lock.unlock();
        const bool back = !logIn();
        lock.lock();
        if (back) {
            break;
        }
    }
    rejoinRunning_ = false;
}

void BotPlayer::leave() {
    {
        const std::lock_guard lock(rejoinMutex_);
        left_ = true;
    }
    leaving_.notify_all();
    if (rejoining_.joinable()) {
        rejoining_.join();
    }
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
        case RequestCode::initNewDeal:
            voter_.newDeal();
            break;
        case RequestCode::play:
            voter_.playStarted();
            break;
        case RequestCode::cardElected:
            // The opening shows every card again: only a card pushed before
            // this player chose (a comeback's) needs its body read.
            if (!voter_.hasElected()) {
                keepOwnCard(push);
            }
            break;
        default:
            break;
    }
    tally_.received(push.request);
}

}  // namespace tarvendo::bot
