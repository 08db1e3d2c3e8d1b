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

    support::EventRecorder recorder{Event::playerDidAdd, Event::playerDidRemove,
                                    Event::initNewDeal,  Event::play,
                                    Event::openCards,    Event::cardElected};
    support::ClientServerHarness harness;
};

// Player pushes post the name alone whatever their token; the others need the
// session token, and the deal pushes post their whole data object.
TEST_F(PushedEventsTest, PushesOfOneConnectionPostTheirEventsInOrderOnItsThread) {
    Shared::setToken("session");
    const Json deal{{"title", "Login page"}, {"round", 2}};
    const Json elected{{"player_name", "Ann"}, {"symbol", "∞"}};
    const std::vector<std::pair<Request, Notification>> table = {
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
    std::vector<Request> pushes;
    for (const auto& entry : table) {
        pushes.push_back(entry.first);
    }
    PushPeer peer = connect();
    const std::vector<support::RecordedEvent> events = eventsOf(peer, pushes);
    ASSERT_EQ(events.size(), table.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(table[i].first.description());
        EXPECT_EQ(events[i].notification.name, table[i].second.name);
        EXPECT_EQ(events[i].notification.userInfo, table[i].second.userInfo);
        EXPECT_NE(events[i].thread, std::this_thread::get_id());
        EXPECT_EQ(events[i].thread, events[0].thread);
    }
}

// Dropped: no event, and nothing written back.
TEST_F(PushedEventsTest, WrongTokenMalformedDataOrClientOnlyCodeIsDroppedSilently) {
    PushPeer peer = connect();
    const Request play{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(eventsOf(peer, {play}).size(), 1u) << "before login, no token passes";
    EXPECT_TRUE(eventsOf(peer, {Request{RequestCode::play, "any", {}, {}}}).empty());
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
        EXPECT_TRUE(eventsOf(peer, {request}).empty()) << request.description();
    }
    EXPECT_TRUE(peer.hasNothingToRead());
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
