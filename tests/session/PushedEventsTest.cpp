#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ClientServerHarness.h"
#include "EventRecorder.h"
#include "Shared.h"

namespace tarvendo {
namespace {

using support::PushPeer;
using support::pushWithData;

constexpr const char* kSentinel = "sentinel";

class PushedEventsTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }
    void TearDown() override { Shared::reset(); }

    PushPeer connect() { return PushPeer(harness.port()); }

    // Pushes the requests, then one that is always accepted: its event proves
    // that everything pushed before it has been handled. The events of the
    // requests, in arrival order.
    std::vector<support::RecordedEvent> eventsOf(PushPeer& peer,
                                                 const std::vector<Request>& requests) {
        const std::size_t before = recorder.events().size();
        for (const Request& request : requests) {
            peer.push(request);
        }
        peer.push(
            pushWithData(RequestCode::playerAdded, std::nullopt, {{"player_name", kSentinel}}));
        EXPECT_TRUE(recorder.waitUntil([before](const auto& events) {
            return events.size() > before && isSentinel(events.back());
        }));
        std::vector<support::RecordedEvent> events = recorder.events();
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(before));
        if (!events.empty() && isSentinel(events.back())) {
            events.pop_back();
        }
        return events;
    }

    static bool isSentinel(const support::RecordedEvent& event) {
        return event.notification.userInfo.get<std::string>("player_name") == kSentinel;
    }

    // The push is dropped: no event, and nothing written back.
    void expectSilence(const Request& request) {
        PushPeer peer = connect();
        EXPECT_TRUE(eventsOf(peer, {request}).empty()) << request.description();
        EXPECT_TRUE(peer.hasNothingToRead());
    }

    std::optional<Notification> onlyEventOf(const Request& request) {
        PushPeer peer = connect();
        const std::vector<support::RecordedEvent> events = eventsOf(peer, {request});
        EXPECT_EQ(events.size(), 1u) << request.description();
        return events.size() == 1 ? std::optional(events.front().notification) : std::nullopt;
    }

    support::EventRecorder recorder{Event::playerDidAdd, Event::playerDidRemove,
                                    Event::initNewDeal,  Event::play,
                                    Event::openCards,    Event::cardElected};
    support::ClientServerHarness harness;
};

TEST_F(PushedEventsTest, PlayerAddedPostsTheNameWhateverTheToken) {
    Shared::setToken("session");
    const std::optional<Notification> added = onlyEventOf(
        pushWithData(RequestCode::playerAdded, "someone else's", {{"player_name", "Ann"}}));
    ASSERT_TRUE(added);
    EXPECT_EQ(added->name, Event::playerDidAdd);
    EXPECT_EQ(added->userInfo, UserInfo().setText("player_name", "Ann"));
}

TEST_F(PushedEventsTest, PlayerRemovedPostsOnlyTheName) {
    const std::optional<Notification> removed = onlyEventOf(pushWithData(
        RequestCode::playerRemoved, std::nullopt, {{"player_name", "Bob"}, {"symbol", "5"}}));
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->name, Event::playerDidRemove);
    EXPECT_EQ(removed->userInfo, UserInfo().setText("player_name", "Bob"));
}

TEST_F(PushedEventsTest, InitNewDealPostsTheWholeDataObject) {
    Shared::setToken("session");
    const Json data{{"title", "Login page"}, {"round", 2}};
    const std::optional<Notification> deal =
        onlyEventOf(pushWithData(RequestCode::initNewDeal, "session", data));
    ASSERT_TRUE(deal);
    EXPECT_EQ(deal->name, Event::initNewDeal);
    EXPECT_EQ(deal->userInfo, UserInfo::fromJsonObject(data));
    EXPECT_EQ(deal->userInfo.get<std::string>("title"), "Login page");
}

TEST_F(PushedEventsTest, CardElectedPostsTheDataObjectKeyByKey) {
    Shared::setToken("session");
    const std::optional<Notification> elected = onlyEventOf(pushWithData(
        RequestCode::cardElected, "session", {{"player_name", "Ann"}, {"symbol", "∞"}}));
    ASSERT_TRUE(elected);
    EXPECT_EQ(elected->name, Event::cardElected);
    EXPECT_EQ(elected->userInfo.keys(), (std::vector<std::string>{"player_name", "symbol"}));
    EXPECT_EQ(elected->userInfo.get<std::string>("symbol"), "∞");
}

TEST_F(PushedEventsTest, PlayAndOpenCardsWithTheSessionTokenPostWithoutUserInfo) {
    Shared::setToken("session");
    PushPeer peer = connect();
    const std::vector<support::RecordedEvent> events =
        eventsOf(peer, {Request{RequestCode::play, "session", std::nullopt, std::nullopt},
                        Request{RequestCode::openCards, "session", "ignored query", std::nullopt}});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].notification.name, Event::play);
    EXPECT_EQ(events[1].notification.name, Event::openCards);
    EXPECT_TRUE(events[0].notification.userInfo.empty());
    EXPECT_TRUE(events[1].notification.userInfo.empty());
}

TEST_F(PushedEventsTest, BeforeLoginOnlyAPushWithoutTokenPasses) {
    const std::optional<Notification> play =
        onlyEventOf(Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt});
    ASSERT_TRUE(play);
    EXPECT_EQ(play->name, Event::play);
    expectSilence(Request{RequestCode::play, "any", std::nullopt, std::nullopt});
}

TEST_F(PushedEventsTest, WrongOrMissingTokenIsDroppedSilently) {
    Shared::setToken("session");
    expectSilence(Request{RequestCode::play, "stale", std::nullopt, std::nullopt});
    expectSilence(Request{RequestCode::openCards, std::nullopt, std::nullopt, std::nullopt});
    expectSilence(pushWithData(RequestCode::initNewDeal, "Session", {{"title", "x"}}));
    expectSilence(pushWithData(RequestCode::cardElected, "stale", {{"player_name", "Ann"}}));
}

TEST_F(PushedEventsTest, MissingOrMalformedDataObjectIsDroppedSilently) {
    Shared::setToken("session");
    expectSilence(Request{RequestCode::initNewDeal, "session", std::nullopt, std::nullopt});
    expectSilence(
        Request{RequestCode::cardElected, "session", std::nullopt, ByteBuffer::fromText("[1]")});
    expectSilence(Request{RequestCode::playerAdded, std::nullopt, std::nullopt,
                          ByteBuffer::fromText("not json")});
    expectSilence(pushWithData(RequestCode::playerAdded, std::nullopt, {{"name", "Ann"}}));
}

TEST_F(PushedEventsTest, PlayerNameThatIsNotTextIsDroppedSilently) {
    expectSilence(pushWithData(RequestCode::playerRemoved, std::nullopt, {{"player_name", 5}}));
    expectSilence(pushWithData(RequestCode::playerAdded, std::nullopt, {{"player_name", nullptr}}));
}

TEST_F(PushedEventsTest, CodesTheClientOnlySendsAreIgnored) {
    Shared::setToken("session");
    expectSilence(Request{RequestCode::logout, "session", std::nullopt, std::nullopt});
    expectSilence(pushWithData(RequestCode::loginAdmin, std::nullopt, {{"player_name", "Ann"}}));
}

TEST_F(PushedEventsTest, PushesOfOneConnectionArriveInOrderOnItsThread) {
    std::vector<Request> pushes;
    for (const char* name : {"p1", "p2", "p3", "p4"}) {
        pushes.push_back(
            pushWithData(RequestCode::playerAdded, std::nullopt, {{"player_name", name}}));
    }
    PushPeer peer = connect();
    const std::vector<support::RecordedEvent> events = eventsOf(peer, pushes);
    ASSERT_EQ(events.size(), 4u);
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].notification.userInfo.get<std::string>("player_name"),
                  "p" + std::to_string(i + 1));
        EXPECT_NE(events[i].thread, std::this_thread::get_id());
        EXPECT_EQ(events[i].thread, events[0].thread);
    }
}

TEST_F(PushedEventsTest, SeveralConnectionsAreServedAtOnceEachOnItsOwnThread) {
    constexpr std::size_t kPeers = 4;
    std::vector<std::unique_ptr<PushPeer>> peers;
    for (std::size_t i = 0; i < kPeers; ++i) {
        peers.push_back(std::make_unique<PushPeer>(harness.port()));
    }
    for (std::size_t i = 0; i < kPeers; ++i) {
        peers[i]->push(pushWithData(RequestCode::playerAdded, std::nullopt,
                                    {{"player_name", "peer" + std::to_string(i)}}));
    }
    ASSERT_TRUE(recorder.waitForCount(kPeers));
    std::set<std::string> names;
    std::set<std::thread::id> threads;
    for (const support::RecordedEvent& event : recorder.events()) {
        names.insert(event.notification.userInfo.get<std::string>("player_name").value_or(""));
        threads.insert(event.thread);
    }
    EXPECT_EQ(names, (std::set<std::string>{"peer0", "peer1", "peer2", "peer3"}));
    EXPECT_EQ(threads.size(), kPeers);  // every connection is still open, so no thread is reused
}

}  // namespace
}  // namespace tarvendo
