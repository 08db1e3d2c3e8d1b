#include <gtest/gtest.h>

#include "session/ClientServerThread.h"
#include "session/PushGate.h"
#include "support/EventRecorder.h"
#include "support/Loopback.h"
#include "support/StdoutCapture.h"
#include "transport/ServingThread.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;
using C = RequestCode;
using Lines = std::vector<std::string>;

// One client's end of the pushes: its session values, its centre and its
// client server on a free port.
struct ClientEnd {
    explicit ClientEnd(std::optional<std::string> token) { shared.setToken(std::move(token)); }
    std::int32_t port() const { return serving->port(); }
    // What each event posted, as its name and its user information in JSON.
    Lines posted() const {
        Lines lines;
        for (const test::RecordedEvent& event : recorder.events.items()) {
            Json info = Json::object();
            for (const std::string& key : event.notification.userInfo.keys()) {
                info[key] = event.notification.userInfo.get<Json>(key).value_or("?");
            }
            lines.push_back(std::string(name(event.notification.name)) + " " + info.dump());
        }
        return lines;
    }

    Shared shared;
    NotificationCenter center;
    test::EventRecorder recorder{
        center,
        {Event::playerDidAdd, Event::playerDidRemove, Event::initNewDeal, Event::play,
         Event::openCards, Event::cardElected, Event::pushConnectionLost}};
    std::shared_ptr<ClientServerDelegate> delegate =
        std::make_shared<ClientServerDelegate>(PushReceiver{shared, center});
    std::unique_ptr<ServingThread> serving = ServingThread::start(Server::create(delegate), 0);
};

// A push with its data as written, JSON or not.
Request push(RequestCode code, const char* token, const char* data = nullptr) {
    return Request{code, token ? std::optional<std::string>(token) : std::nullopt, std::nullopt,
                   data ? std::optional(ByteBuffer::fromText(data)) : std::nullopt};
}

Request playerAdded(const std::string& name) {
    return push(C::playerAdded, "session", Json{{"player_name", name}}.dump().c_str());
}

// Every push needs the session's token; player pushes post the name alone,
// the deal pushes their whole data object. A logged-out session takes
// nothing. Neither of two sessions sees the other's pushes.
TEST(ClientServerTest, EachPushPostsItsEventOnlyWithTheRightTokenAndData) {
    const char* deal = R"({"round":2,"title":"Login page"})";
    const std::string deep = R"({"player_name":"Ann","x":)" + std::string(100'000, '[') +
                             std::string(100'000, ']') + "}";
    const struct {
        Request push;
        std::string posted;  // empty: nothing
        bool toLoggedOut = false;
    } rows[] = {
        {push(C::playerAdded, "session", R"({"player_name":"Ann"})"),
         R"(playerDidAdd {"player_name":"Ann"})"},
        {push(C::playerAdded, "other", R"({"player_name":"Mallory"})"), ""},
        {push(C::playerRemoved, "session", R"({"player_name":"Bob","symbol":"5"})"),
         R"(playerDidRemove {"player_name":"Bob"})"},
        {push(C::playerRemoved, nullptr, R"({"player_name":"Bob"})"), ""},
        {push(C::playerAdded, "session", deep.c_str()), ""},
        {push(C::initNewDeal, "session", deal), std::string("initNewDeal ") + deal},
        {push(C::initNewDeal, "Session", deal), ""},
        {push(C::cardElected, "session", R"({"symbol":"∞"})"), R"(cardElected {"symbol":"∞"})"},
        {push(C::play, "session"), "play {}"},
        {push(C::play, nullptr), ""},
        {Request{C::openCards, "session", "ignored", std::nullopt}, "openCards {}"},
        {push(C::openCards, "stale"), ""},
        {push(C::initNewDeal, "session"), ""},
        {push(C::cardElected, "session", "[1]"), ""},
        {push(C::playerAdded, "session", "not JSON"), ""},
        {push(C::playerRemoved, "session", R"({"player_name":5})"), ""},
        {push(C::logout, "session"), ""},
        {push(C::play, nullptr), "", true},
        {push(C::play, "session"), "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(name(row.push.request)) + " " + row.push.token.value_or("-"));
        ClientEnd session{"session"};
        ClientEnd loggedOut{std::nullopt};
        ClientEnd& target = row.toLoggedOut ? loggedOut : session;
        test::FramePeer peer{target.port()};
        peer.send(row.push);
        // A connection's frames are handled in order: once this is answered,
        // the push has been.
        peer.sendBytes(test::frameBytes(1, "?"));
        ASSERT_TRUE(peer.nextFrame().has_value());
        const Lines expected = row.posted.empty() ? Lines{} : Lines{row.posted};
        EXPECT_EQ(target.posted(), expected);
        EXPECT_EQ((row.toLoggedOut ? session : loggedOut).recorder.events.size(), 0u);
    }
}

// Payloads it cannot decode get the one answer the client server sends, once
// each, and the connection goes on. A peer that closes and frames over the
// client server's own limits end theirs with one line each; an idle
// connection lasts, and a stop ends it silently.
TEST(ClientServerTest, EveryEndButAStopPrintsConnectionLostOnce) {
    ClientEnd session{"session"};
    test::FramePeer peer{session.port()};
    test::FramePeer stalled{session.port()}, oversized{session.port()}, closed{session.port()};
    stalled.socket().setTimeouts(2 * kClientServerFrameLimits.stallTimeout, 1s);
    oversized.socket().setTimeouts(kClientServerFrameLimits.stallTimeout / 5, 1s);
    test::StdoutCapture ends;
    for (const ByteBuffer& bytes :
         {test::frameBytes(16, "this is not JSON"), test::frameBytes(13, R"({"request":9})"),
          test::frameBytes(-5)}) {
        peer.sendBytes(bytes);
        EXPECT_EQ(peer.nextFrame().value_or(ByteBuffer()).text(),
                  R"({"code":-1,"message":"unknownRequest","token":""})");
    }
    stalled.sendBytes(test::frameBytes(100, R"({"r)"));
    oversized.sendBytes(littleEndianBytes(kClientServerFrameLimits.maxLength + 1));
    closed.close();
    EXPECT_TRUE(oversized.seesEndOfStream()) << "refused before the stall limit";
    EXPECT_TRUE(stalled.seesEndOfStream());
    test::FramePeer carrier{session.port()};
    carrier.send(push(C::play, "session"));
    carrier.close();
    EXPECT_EQ(session.recorder.events.waitFor(2).at(1).notification.name, Event::pushConnectionLost)
        << "only the end of a connection that carried the session's pushes";
    peer.send(push(C::play, "session"));
    EXPECT_EQ(session.recorder.events.waitFor(3).size(), 3u);
    EXPECT_TRUE(peer.hasNothingToRead());
    EXPECT_TRUE(
        test::eventually([&] { return session.serving->server().activeConnections() == 1; }));
    ends.finish();
    EXPECT_EQ(ends.countLines("Connection lost"), 4u);
    test::StdoutCapture stop;
    session.serving->stop();
    EXPECT_TRUE(peer.seesEndOfStream());
    stop.finish();
    EXPECT_EQ(stop.countLines("Connection lost"), 0u);
}

// While a login is in flight the pushes wait for its token: checked in the
// order they came once it is there, dropped after a refusal, the oldest
// dropped beyond the bound.
TEST(PushGateTest, HoldsPushesUntilTheLoginIsAnswered) {
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "accepted" : "refused");
        Shared shared;
        NotificationCenter center;
        test::EventRecorder recorder{center, {Event::playerDidAdd}};
        PushGate gate;
        const PushReceiver receiver{shared, center, &gate};
        gate.hold();
        test::StdoutCapture dropped;
        for (std::size_t i = 0; i <= PushGate::kMaxHeldPushes; ++i) {
            gate.admit(playerAdded(std::to_string(i)), receiver);
        }
        dropped.finish();
        EXPECT_EQ(dropped.countLines("Push dropped: too many arrived while logging in"), 1u);
        EXPECT_EQ(recorder.events.size(), 0u);
        shared.setToken("session");
        accepted ? gate.release(receiver) : gate.drop();
        gate.admit(playerAdded("after"), receiver);
        const std::vector<test::RecordedEvent> events = recorder.events.items();
        ASSERT_EQ(events.size(), accepted ? PushGate::kMaxHeldPushes + 1 : 1u);
        EXPECT_EQ(events.front().notification.userInfo.get<std::string>("player_name"),
                  accepted ? "1" : "after");
        EXPECT_EQ(events.back().notification.userInfo.get<std::string>("player_name"), "after");
    }
}

}  // namespace
}  // namespace tarvendo
