#include "server/GameHost.h"

#include "server/StateStore.h"
#include "server/TokenSource.h"
#include "transport/Frame.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo::server {

namespace {

bool isLogin(RequestCode code) {
    return code == RequestCode::loginAdmin || code == RequestCode::loginPlayer;
}

std::string describe(const Answer& answer) {
    std::string text(tarvendo::text(answer.message));
    if (answer.message != AnswerMessage::OK && answer.info) {
        text += ": " + *answer.info;
    }
    return text;
}

}  // namespace

GameHost::GameHost(Game game, EventLog& log, HostSettings settings)
    : log_(log), settings_(settings), game_(std::move(game)) {
    expiring_ = std::thread([this] { expireAway(); });
}

GameHost::~GameHost() {
    close();
    expiring_.join();
}

void GameHost::expireAway() {
    std::unique_lock lock(mutex_);
    while (!closed_) {
        if (const std::optional<Game::Clock::time_point> next = game_.nextExpiry()) {
            awayChanged_.wait_until(lock, *next);
        } else {
            awayChanged_.wait(lock);
        }
        for (const Outcome& outcome : game_.expireAway(Game::Clock::now())) {
            apply(outcome);
            persist();
            log_.record("playerRemoved", outcome.player, "did not come back in time");
        }
    }
}

Answer GameHost::answer(const Request& request, ConnectionId connection,
                        const std::optional<std::string>& peerAddress) {
    reapRetired();
    if (isLogin(request.request)) {
        return login(request, connection, peerAddress);
    }
    const std::lock_guard lock(mutex_);
    Outcome outcome = game_.handle(request);
    apply(outcome);
    if (outcome.ok()) {
        persist();
    }
    logOutcome(request.request, outcome);
    return outcome.answer;
}

Answer GameHost::login(const Request& request, ConnectionId connection,
                       const std::optional<std::string>& peerAddress) {
    std::variant<LoginForm, Outcome> review;
    {
        const std::lock_guard lock(mutex_);
        review = game_.reviewLogin(request, peerAddress.value_or(""));
    }
    if (const Outcome* refusal = std::get_if<Outcome>(&review)) {
        logOutcome(request.request, *refusal);
        return refusal->answer;
    }
    const LoginForm& form = std::get<LoginForm>(review);
    // Connecting may take a while; the game goes on meanwhile and admit()
    // checks the seat again.
    std::shared_ptr<Socket> pushSocket = connectClientServer(peerAddress, form.clientServerPort);
    if (!pushSocket) {
        const Outcome failed = refusal(AnswerMessage::cantConnectToClientServer,
                                       "The client server cannot be reached", form.playerName);
        logOutcome(request.request, failed);
        return failed.answer;
    }
    return seat(form, connection, std::move(pushSocket));
}

Answer GameHost::seat(const LoginForm& form, ConnectionId connection,
                      std::shared_ptr<Socket> pushSocket) {
    const RequestCode code = form.asAdmin ? RequestCode::loginAdmin : RequestCode::loginPlayer;
    const std::optional<std::string> token = freshToken();
    const std::lock_guard lock(mutex_);
    Outcome outcome =
        closed_  ? refusal(AnswerMessage::error, "The server is stopping", form.playerName)
        : !token ? refusal(AnswerMessage::error, "No session token could be made", form.playerName)
                 : game_.admit(form, *token);
    if (outcome.ok()) {
        const std::string& seat = outcome.answer.token;  // an old one when resumed
        if (outcome.resumed) {
            takeBack(seat, connection);
        }
        // Held until the answer is out: a client must know its token before
        // the first push comes, and the deal so far must come before the rest.
        channels_[seat] = std::make_unique<PushChannel>(
            std::move(pushSocket), settings_.push, [this, seat] { pushFailed(seat); }, true);
        tokensByConnection_.emplace(connection, seat);
        awaitingAnswer_.emplace(connection, seat);
    }
    apply(outcome);
    send(outcome.replay);
    if (outcome.ok()) {
        persist();
    }
    logOutcome(code, outcome);
    return outcome.answer;
}

std::shared_ptr<Socket> GameHost::connectClientServer(const std::optional<std::string>& peerAddress,
                                                      std::uint16_t port) const {
    std::shared_ptr<Socket> socket = peerAddress ? Socket::create() : nullptr;
    if (!socket) {
        return nullptr;
    }
    // The send time-out bounds the connect as well.
    socket->setTimeouts(settings_.connectTimeout, settings_.connectTimeout);
    return connect_socket(socket->descriptor(), peerAddress->c_str(), port) == 0 ? socket : nullptr;
}

void GameHost::answerWritten(ConnectionId connection) {
    const std::lock_guard lock(mutex_);
    const auto [first, last] = awaitingAnswer_.equal_range(connection);
    for (auto it = first; it != last; ++it) {
        if (const auto channel = channels_.find(it->second); channel != channels_.end()) {
            channel->second->release();
        }
    }
    awaitingAnswer_.erase(first, last);
}

void GameHost::connectionOpened(ConnectionId connection, std::function<void()> close) {
    const std::lock_guard lock(mutex_);
    closers_.insert_or_assign(connection, std::move(close));
}

void GameHost::takeBack(const std::string& token, ConnectionId connection) {
    for (auto it = tokensByConnection_.begin(); it != tokensByConnection_.end();) {
        if (it->second == token && it->first != connection) {
            if (const auto closer = closers_.find(it->first); closer != closers_.end()) {
                closer->second();
            }
            it = tokensByConnection_.erase(it);
        } else {
            ++it;
        }
    }
    retire(token);
}

void GameHost::connectionClosed(ConnectionId connection) {
    reapRetired();
    const std::lock_guard lock(mutex_);
    closers_.erase(connection);
    const auto [first, last] = tokensByConnection_.equal_range(connection);
    std::vector<std::string> tokens;
    for (auto it = first; it != last; ++it) {
        tokens.push_back(it->second);
    }
    tokensByConnection_.erase(first, last);
    awaitingAnswer_.erase(connection);
    for (const std::string& token : tokens) {
        lost(token, "request connection closed");
    }
}

void GameHost::pushFailed(const std::string& token) {
    const std::lock_guard lock(mutex_);
    lost(token, "push connection failed");
}

void GameHost::lost(const std::string& token, std::string_view how) {
    const Outcome outcome = game_.leaveWithoutLogout(token, Game::Clock::now());
    apply(outcome);
    persist();
    if (outcome.departed) {
        log_.record("playerRemoved", outcome.player, how);
    } else if (game_.isAway(token)) {
        retire(token);  // its pushes wait for a comeback, which replays the deal
        awayChanged_.notify_all();
        log_.record("playerAway", outcome.player, how);
    }
}

void GameHost::apply(const Outcome& outcome) {
    if (outcome.departed) {
        retire(*outcome.departed);
    }
    send(outcome.pushes);
}

void GameHost::send(const std::vector<Push>& pushes) {
    std::map<std::string_view, std::vector<const Request*>> byRecipient;
    for (const Push& push : pushes) {
        byRecipient[push.recipient].push_back(&push.request);
    }
    // Each player's frames go out as soon as they are made: the first players
    // read theirs while the others' are still being made.
    for (const auto& [recipient, requests] : byRecipient) {
        const auto channel = channels_.find(recipient);
        if (channel == channels_.end()) {
            continue;
        }
        ByteBuffer frames;
        for (const Request* request : requests) {
            if (const std::optional<ByteBuffer> payload = request->json()) {
                appendFrame(frames, *payload);
            }
        }
        channel->second->push(std::move(frames));
    }
}

void GameHost::retire(const std::string& token) {
    for (auto it = tokensByConnection_.begin(); it != tokensByConnection_.end();) {
        it = it->second == token ? tokensByConnection_.erase(it) : std::next(it);
    }
    const auto channel = channels_.find(token);
    if (channel != channels_.end()) {
        channel->second->close();
        retired_.push_back(std::move(channel->second));
        channels_.erase(channel);
    }
}

void GameHost::reapRetired() {
    std::vector<std::unique_ptr<PushChannel>> done;
    {
        const std::lock_guard lock(mutex_);
        for (auto it = retired_.begin(); it != retired_.end();) {
            if ((*it)->finished()) {
                done.push_back(std::move(*it));
                it = retired_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Destroying joins the sender threads, which may wait for mutex_ themselves.
    done.clear();
}

void GameHost::close() {
    std::vector<std::unique_ptr<PushChannel>> stopping;
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        awayChanged_.notify_all();
        for (auto& [token, channel] : channels_) {
            channel->close();
            stopping.push_back(std::move(channel));
        }
        channels_.clear();
        for (auto& channel : retired_) {
            stopping.push_back(std::move(channel));
        }
        retired_.clear();
    }
    stopping.clear();
}

void GameHost::persist() {
    if (settings_.store != nullptr && !settings_.store->save(game_.snapshot())) {
        log_.record("stateNotSaved", "", "the state file could not be written");
    }
}

void GameHost::logOutcome(RequestCode code, const Outcome& outcome) {
    log_.record(name(code), outcome.player,
                describe(outcome.answer) + (outcome.resumed ? ", seat taken back" : ""));
}

}  // namespace tarvendo::server
