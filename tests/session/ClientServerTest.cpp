#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ClientServerHarness.h"
#include "EventRecorder.h"
#include "StdoutCapture.h"
#include "session/PushedRequests.h"
#include "session/Shared.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;
using support::PushPeer;
using support::pushWithData;

class PushedRequestsTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }
    void TearDown() override { Shared::reset(); }

    support::EventRecorder recorder{Event::playerDidAdd, Event::playerDidRemove,
                                    Event::initNewDeal,  Event::play,
                                    Event::openCards,    Event::cardElected};
};

// Player pushes post the name alone whatever their token; the others need the
// session token, and the deal pushes post their whole data object.
TEST_F(PushedRequestsTest, EachPushPostsItsEventOnTheCallingThread) {
    Shared::setToken("session");
    const Json deal{{"title", "Login page"}, {"round", 2}};
    const Json elected{{"player_name", "Ann"}, {"symbol", "∞"}};
    const std::pair<Request, Notification> table[] = {
        {pushWithData(RequestCode::playerAdded, "someone else's", {{"player_name", "Ann"}}),
         {Event::playerDidAdd, UserInfo().setText("player_name", "Ann")}},
        {pushWithData(RequestCode::playerRemoved, std::nullopt,
                      {{"player_name", "Bob"}, {"symbol", "5"}}),
         {Event::playerDidRemove, UserInfo().setText("player_name", "Bob")}},
        {pushWithData(RequestCode::initNewDeal, "session", deal),
         {Event::initNewDeal, UserInfo::fromJsonObject(deal)}},
        {pushWithData(RequestCode::cardElected, "session", elected),
         {Event::cardElected, UserInfo::fromJsonObject(elected)}},
        {Request{RequestCode::play, "session", std::nullopt, std::nullopt}, {Event::play, {}}},
        {Request{RequestCode::openCards, "session", "ignored query", std::nullopt},
         {Event::openCards, {}}},
    };
    for (const auto& [request, expected] : table) {
        SCOPED_TRACE(request.description());
        const std::size_t before = recorder.events().size();
        handlePushedRequest(request);
        const std::vector<support::RecordedEvent> events = recorder.events();
        ASSERT_EQ(events.size(), before + 1);
        EXPECT_EQ(events.back().notification.name, expected.name);
        EXPECT_EQ(events.back().notification.userInfo, expected.userInfo);
        EXPECT_EQ(events.back().thread, std::this_thread::get_id());
    }
}

TEST_F(PushedRequestsTest, WrongTokenMalformedDataOrClientOnlyCodeIsDropped) {
    const Request play{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    handlePushedRequest(play);
    EXPECT_EQ(recorder.events().size(), 1u) << "before login, no token passes";
    handlePushedRequest(Request{RequestCode::play, "any", {}, {}});
    EXPECT_EQ(recorder.events().size(), 1u) << "before login, any token fails";
    Shared::setToken("session");
    const Request dropped[] = {
        Request{RequestCode::play, "stale", std::nullopt, std::nullopt},
        Request{RequestCode::openCards, std::nullopt, std::nullopt, std::nullopt},
        pushWithData(RequestCode::initNewDeal, "Session", {{"title", "x"}}),
        pushWithData(RequestCode::cardElected, "stale", {{"player_name", "Ann"}}),
        Request{RequestCode::initNewDeal, "session", std::nullopt, std::nullopt},
        Request{RequestCode::cardElected, "session", std::nullopt, ByteBuffer::fromText("[1]")},
        Request{RequestCode::playerAdded, std::nullopt, std::nullopt,
                ByteBuffer::fromText("not json")},
        pushWithData(RequestCode::playerAdded, std::nullopt, {{"name", "Ann"}}),
        pushWithData(RequestCode::playerRemoved, std::nullopt, {{"player_name", 5}}),
        pushWithData(RequestCode::playerAdded, std::nullopt, {{"player_name", nullptr}}),
        Request{RequestCode::logout, "session", std::nullopt, std::nullopt},
        pushWithData(RequestCode::loginAdmin, std::nullopt, {{"player_name", "Ann"}}),
    };
    for (const Request& request : dropped) {
        handlePushedRequest(request);
        EXPECT_EQ(recorder.events().size(), 1u) << request.description();
    }
}

// Each connection has a thread of its own, which posts its pushes in order.
TEST_F(PushedRequestsTest, ConnectionsAreServedAtOnceEachInOrderOnItsOwnThread) {
    constexpr std::size_t kPeers = 4;
    constexpr std::size_t kPushesEach = 3;
    support::ClientServerHarness harness;
    std::vector<std::unique_ptr<PushPeer>> peers;
    for (std::size_t i = 0; i < kPeers; ++i) {
        peers.push_back(std::make_unique<PushPeer>(harness.port()));
    }
    for (std::size_t push = 0; push < kPushesEach; ++push) {
        for (std::size_t i = 0; i < kPeers; ++i) {
            const std::string name = std::to_string(i) + "-" + std::to_string(push);
            peers[i]->push(
                pushWithData(RequestCode::playerAdded, std::nullopt, {{"player_name", name}}));
        }
    }
    ASSERT_TRUE(recorder.waitForCount(kPeers * kPushesEach));
    std::map<char, std::vector<std::string>> namesByPeer;
    std::map<char, std::set<std::thread::id>> threadsByPeer;
    std::set<std::thread::id> threads;
    for (const support::RecordedEvent& event : recorder.events()) {
        const std::string name =
            event.notification.userInfo.get<std::string>("player_name").value();
        namesByPeer[name[0]].push_back(name);
        threadsByPeer[name[0]].insert(event.thread);
        threads.insert(event.thread);
    }
    ASSERT_EQ(namesByPeer.size(), kPeers);
    for (const auto& [peer, names] : namesByPeer) {
        const std::string prefix(1, peer);
        EXPECT_EQ(names, (std::vector<std::string>{prefix + "-0", prefix + "-1", prefix + "-2"}));
        EXPECT_EQ(threadsByPeer[peer].size(), 1u);
    }
    EXPECT_EQ(threads.size(), kPeers);  // every connection is still open, so no thread is reused
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

// The pushes below carry no token and no data: what matters is the loop.
class ClientServerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }

    static Request play() {
        return Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    }

    // The refusal, exactly three keys, as it came over the wire.
    static void expectUnknownRequestAnswer(PushPeer& peer) {
        const std::optional<ByteBuffer> payload = peer.nextFrame();
        ASSERT_TRUE(payload.has_value());
        EXPECT_EQ(Json::parse(payload->text(), nullptr, false),
                  (Json{{"code", -1}, {"message", "unknownRequest"}, {"token", ""}}));
    }

    std::size_t connectionLostLines() {
        capture->finish();
        return capture->countLines("Connection lost");
    }

    support::EventRecorder recorder{Event::play};
    std::unique_ptr<support::StdoutCapture> capture = std::make_unique<support::StdoutCapture>();
};

class ClientServerLoopTest : public ClientServerConnectionTest {
protected:
    support::ClientServerHarness harness;
    PushPeer peer{harness.port()};
};

TEST_F(ClientServerLoopTest, EveryUndecodablePushIsAnsweredAndTheConnectionGoesOn) {
    for (const char* text : {"this is not JSON", "{\"request\":9}", ""}) {
        peer.sendFrame(ByteBuffer::fromText(text));
        expectUnknownRequestAnswer(peer);
    }
    peer.sendBytes(littleEndianBytes(-5));
    expectUnknownRequestAnswer(peer);
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
    EXPECT_TRUE(peer.hasNothingToRead());
}

// Closing between frames or inside one ends the loop with one line.
TEST(ClientServerPeerClosingTest, PeerClosingPrintsConnectionLostOnce) {
    const std::string header(littleEndianBytes(100).text());
    for (const std::string& tail : {std::string(), header + "{\"request\":"}) {
        SCOPED_TRACE(tail.size());
        Shared::reset();
        support::EventRecorder recorder{Event::play};
        support::StdoutCapture capture;
        support::ClientServerHarness harness;
        PushPeer peer{harness.port()};
        peer.push(Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt});
        ASSERT_TRUE(recorder.waitForCount(1));  // the connection is being served
        peer.sendBytes(ByteBuffer::fromText(tail));
        peer.close();
        ASSERT_TRUE(harness.waitUntilIdle());
        capture.finish();
        EXPECT_EQ(capture.countLines("Connection lost"), 1u);
    }
}

TEST_F(ClientServerLoopTest, OversizedFrameEndsTheConnectionAndReleasesItsDescriptor) {
    peer.sendBytes(littleEndianBytes(kMaxFrameLength + 1));
    EXPECT_TRUE(peer.seesEndOfStream());
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(connectionLostLines(), 1u);
}

TEST_F(ClientServerLoopTest, StoppingTheServerEndsTheLoopWithoutConnectionLost) {
    peer.sendFrame(ByteBuffer::fromText("not a request"));
    expectUnknownRequestAnswer(peer);
    // The loop goes back to reading once the answer is out; give it the time
    // to block there, where the stop has to wake it.
    std::this_thread::sleep_for(20ms);
    harness.stop();
    EXPECT_TRUE(peer.seesEndOfStream());
    EXPECT_EQ(connectionLostLines(), 0u);
    EXPECT_EQ(capture->countLines("Server stopped"), 1u);
}

// An idle connection is never timed out; a frame that stalls once started is.
TEST_F(ClientServerConnectionTest, StallLimitAppliesOnlyOnceAFrameHasStarted) {
    support::ClientServerHarness harness{FrameLimits{kMaxFrameLength, 100ms}};
    PushPeer peer{harness.port()};
    std::this_thread::sleep_for(300ms);  // three stall limits without a byte
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
    peer.sendBytes(ByteBuffer::fromText("{\"r"));
    EXPECT_TRUE(peer.seesEndOfStream());
    EXPECT_EQ(connectionLostLines(), 1u);
}

}  // namespace
}  // namespace tarvendo
