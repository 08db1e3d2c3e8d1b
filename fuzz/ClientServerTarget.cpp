#include <array>
#include <mutex>
#include <thread>
#include <vector>

#include "fuzz/ByteReader.h"
#include "fuzz/FrameModel.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "fuzz/JsonProbe.h"
#include "fuzz/LoopbackFeed.h"
#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "session/ClientServerThread.h"
#include "session/EventObserver.h"
#include "session/Shared.h"

namespace tarvendo::fuzz {

namespace {

constexpr std::array kPushedEvents = {Event::playerDidAdd, Event::playerDidRemove,
                                      Event::initNewDeal,  Event::play,
                                      Event::openCards,    Event::cardElected};

// In the order they were posted.
using Events = std::vector<Event>;

// What the user information of each pushed event must hold.
bool hasItsUserInfo(const Notification& notification) {
    const UserInfo& info = notification.userInfo;
    switch (notification.name) {
        case Event::playerDidAdd:
        case Event::playerDidRemove:
            return info.keys() == std::vector<std::string>{"player_name"} &&
                   info.get<std::string>("player_name");
        case Event::play:
        case Event::openCards:
            return info.empty();
        default: {  // the pushed data object, member by member
            const std::vector<std::string> keys = info.keys();
            return std::all_of(keys.begin(), keys.end(),
                               [&info](const std::string& key) { return info.get<Json>(key); });
        }
    }
}

// Records the pushed events and notes any that arrive on the wrong thread or
// with the wrong user information.
class ObservedEvents {
public:
    ObservedEvents() {
        for (const Event event : kPushedEvents) {
            observer_.registerEvent(event, [this](const Notification& n) { record(n); });
        }
    }

    Events events() {
        const std::lock_guard lock(mutex_);
        return events_;
    }
    std::optional<std::string> fault() {
        const std::lock_guard lock(mutex_);
        return fault_;
    }

private:
    void record(const Notification& notification) {
        const std::lock_guard lock(mutex_);
        events_.push_back(notification.name);
        if (std::this_thread::get_id() == fuzzerThread_) {
            fault_ = std::string(name(notification.name)) + " was posted off the connection thread";
        } else if (!hasItsUserInfo(notification)) {
            fault_ = std::string(name(notification.name)) + " has the wrong user information";
        }
    }

    const std::thread::id fuzzerThread_ = std::this_thread::get_id();
    std::mutex mutex_;  // guards the fields below; blocks run on the connection thread
    Events events_;
    std::optional<std::string> fault_;
    EventObserver observer_;  // last: its blocks are gone before the fields they use
};

// The event a decoded push must cause, by the client server's rules.
std::optional<Event> eventFor(const Request& request, const std::optional<std::string>& token) {
    const Json body = request.data ? parsedOrDiscarded(request.data->text()) : Json();
    const bool tokenPasses = request.token == token;
    const bool hasName = body.is_object() && stringMember(body, "player_name");
    switch (request.request) {
        case RequestCode::playerAdded:
            return hasName ? std::optional(Event::playerDidAdd) : std::nullopt;
        case RequestCode::playerRemoved:
            return hasName ? std::optional(Event::playerDidRemove) : std::nullopt;
        case RequestCode::initNewDeal:
            return tokenPasses && body.is_object() ? std::optional(Event::initNewDeal)
                                                   : std::nullopt;
        case RequestCode::cardElected:
            return tokenPasses && body.is_object() ? std::optional(Event::cardElected)
                                                   : std::nullopt;
        case RequestCode::play:
            return tokenPasses ? std::optional(Event::play) : std::nullopt;
        case RequestCode::openCards:
            return tokenPasses ? std::optional(Event::openCards) : std::nullopt;
        default:
            return std::nullopt;
    }
}

struct Expected {
    std::size_t answers = 0;  // one per payload that is no request
    Events events;            // one per push that passes, in order
};

Expected expectedOf(std::string_view stream, const FrameLimits& limits,
                    const std::optional<std::string>& token) {
    Expected expected;
    for (const ModelFrame& frame : modelFrames(stream, limits.maxLength)) {
        if (frame.status != FrameStatus::ok) {
            continue;
        }
        const std::optional<Request> request =
            Request::usingJson(ByteBuffer::fromText(frame.payload));
        if (!request) {
            ++expected.answers;
        } else if (const std::optional<Event> event = eventFor(*request, token)) {
            expected.events.push_back(*event);
        }
    }
    return expected;
}

// The answers written back; each must be the one for an unknown request.
std::size_t countAnswers(std::string_view written) {
    std::size_t count = 0;
    for (const ModelFrame& frame : modelFrames(written, kMaxFrameLength)) {
        if (frame.status == FrameStatus::ok) {
            const std::optional<Answer> answer =
                Answer::usingJson(ByteBuffer::fromText(frame.payload));
            require(answer && answer->code == -1 &&
                        answer->message == AnswerMessage::unknownRequest && answer->token.empty() &&
                        !answer->info && !answer->data,
                    "the client server wrote something other than the unknown-request answer");
            ++count;
        }
    }
    return count;
}

// Runs a connection of the client server over the stream until it ends;
// what it wrote back.
std::string serve(std::string_view stream, const FrameLimits& limits) {
    LoopbackFeed feed;
    const auto connection = std::make_shared<ClientServerThread>(feed.reader(), limits);
    std::thread worker([&connection] {
        connection->run();
        connection->socket().shutdown();  // tells the feeder all answers are out
    });
    feed.send(stream);
    std::string written = feed.receiveAll();
    worker.join();
    return written;
}

}  // namespace

// The first byte: bit 0 sets a session token, bit 1 a small frame limit.
void fuzzClientServer(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxFedBytes) {
        return;
    }
    ByteReader input(data, size);
    const std::uint8_t mode = input.byte();
    const std::optional<std::string> token =
        (mode & 1) != 0 ? std::optional<std::string>("session-token") : std::nullopt;
    const FrameLimits limits{(mode & 2) != 0 ? 64 : kMaxFrameLength,
                             kClientServerFrameLimits.stallTimeout};
    const std::string_view stream = input.rest();
    Shared::setToken(token);
    ObservedEvents observed;
    const std::string written = serve(stream, limits);
    const Expected expected = expectedOf(stream, limits, token);
    require(countAnswers(written) == expected.answers, "one answer per undecodable payload");
    require(observed.events() == expected.events, "the events differ from the pushes");
    const std::optional<std::string> fault = observed.fault();
    require(!fault, fault.value_or(""));
}

}  // namespace tarvendo::fuzz
