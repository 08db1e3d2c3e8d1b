#include <gtest/gtest.h>
#include <sys/socket.h>

#include "ServerHarness.h"
#include "support/Loopback.h"

namespace tarvendo::server::test {
namespace {

GameServerSettings shortLimits() {
    GameServerSettings settings;
    settings.host.connectTimeout = 1s;
    settings.host.push.sendTimeout = 1s;
    return settings;
}

// Ann (admin) and Bob, each with a real client server on loopback.
class HostIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ann.join(Code::loginAdmin, "Ann");
        bob.join(Code::loginPlayer, "Bob");
        ASSERT_TRUE(ann.pushes.waitForPush(Code::playerAdded, "Bob"));
    }

    RunningServer server{shortLimits()};
    TestPlayer ann{server.address()};
    TestPlayer bob{server.address()};
};

// Bob's refusal comes first: it must push nothing.
TEST_F(HostIntegrationTest, DealReachesEveryClientServerInOrderWithItsOwnToken) {
    const std::optional<Answer> refused = bob.client.send(Code::play);
    ASSERT_TRUE(refused);  // Answer::usingJson needs code, message and token
    EXPECT_EQ(refused->message, Message::error);
    EXPECT_NE(refused->code, 0);
    EXPECT_FALSE(refused->info.value_or("").empty());
    ASSERT_EQ(ann.client.send(Code::initNewDeal, Json{{"title", "Search"}})->message, Message::OK);
    ASSERT_EQ(ann.client.send(Code::play)->code, 0);
    ASSERT_EQ(
        bob.client.send(Code::cardElected, Json{{"player_name", "Bob"}, {"symbol", "13"}})->message,
        Message::OK);
    ASSERT_EQ(ann.client.send(Code::openCards)->message, Message::OK);
    const Code expected[] = {Code::initNewDeal, Code::play, Code::cardElected, Code::openCards};
    for (TestPlayer* player : {&ann, &bob}) {
        const std::size_t offset = player == &ann ? 1 : 0;  // Ann saw Bob arrive first
        const std::vector<Request> pushes = player->pushes.waitFor(offset + 4);
        ASSERT_EQ(pushes.size(), offset + 4);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(pushes[offset + i].request, expected[i]);
            EXPECT_EQ(pushes[offset + i].token, player->client.token);
        }
        EXPECT_EQ(bodyJson(pushes[offset]), (Json{{"title", "Search"}}));
        EXPECT_EQ(bodyJson(pushes[offset + 2]), (Json{{"player_name", "Bob"}, {"symbol", "13"}}));
    }
}

TEST_F(HostIntegrationTest, UnreachableClientServerRefusesTheLoginAndChangesNothing) {
    std::int32_t closedPort = 0;
    {
        PushRecorder gone;
        closedPort = gone.port();
    }
    TestClient cid(server.address());
    EXPECT_EQ(cid.login(Code::loginPlayer, "Cid", closedPort)->message,
              Message::cantConnectToClientServer);
    PushRecorder listening;
    const std::optional<Answer> retry = cid.login(Code::loginPlayer, "Cid", listening.port());
    ASSERT_EQ(retry->message, Message::OK);
    EXPECT_EQ(retry->info, "Sprint");
    EXPECT_EQ(ToolBox::fromJsonObject(retry->data), Json::array({"Ann", "Bob", "Cid"}));
    EXPECT_EQ(cid.token.size(), 32U);
    EXPECT_NE(cid.token, bob.client.token);
    EXPECT_TRUE(bob.pushes.waitForPush(Code::playerAdded, "Cid"));
    EXPECT_EQ(ann.pushes.waitFor(10, 200ms).size(), 2U);  // Bob, then Cid once
}

TEST_F(HostIntegrationTest, ClosedRequestConnectionRemovesThePlayer) {
    bob.client.socket().close();
    EXPECT_TRUE(ann.pushes.waitForPush(Code::playerRemoved, "Bob"));
    EXPECT_TRUE(server.log.contains("playerRemoved \"Bob\" request connection closed"));
}

TEST_F(HostIntegrationTest, FailedPushConnectionRemovesThePlayer) {
    bob.pushes.hangUp();
    // The loss shows when a push to Bob fails; a few deals bring it about.
    for (int deal = 0; deal < 50 && !ann.pushes.waitForPush(Code::playerRemoved, "Bob", 50ms);
         ++deal) {
        ann.client.send(Code::initNewDeal, Json{{"title", "Deal"}});
    }
    EXPECT_TRUE(ann.pushes.waitForPush(Code::playerRemoved, "Bob", 1s));
    EXPECT_TRUE(server.log.contains("playerRemoved \"Bob\" push connection failed"));
}

// A client whose client server accepts but never reads: its pushes pile up
// until the send limit drops it, and nobody else waits meanwhile.
TEST_F(HostIntegrationTest, ClientThatStopsReadingIsDroppedWithoutHoldingUpOthers) {
    const tarvendo::test::Listener stuck = tarvendo::test::makeListener();
    const int small = 4096;  // accepted connections inherit it
    ::setsockopt(stuck.socket->descriptor(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    TestClient cid(server.address());
    ASSERT_EQ(cid.login(Code::loginPlayer, "Cid", stuck.port)->message, Message::OK);

    const std::string title(20'000, 't');
    std::size_t annSees = 2;  // Bob and Cid arrived
    for (int deal = 0; deal < 300 && !ann.pushes.waitForPush(Code::playerRemoved, "Cid", 0ms);
         ++deal) {
        ASSERT_EQ(ann.client.send(Code::initNewDeal, Json{{"title", title}})->message, Message::OK);
        ++annSees;
        // Ann's client server has each deal long before Cid's send limit.
        ASSERT_EQ(ann.pushes.waitFor(annSees, 500ms).size(), annSees) << "deal " << deal;
    }
    EXPECT_TRUE(ann.pushes.waitForPush(Code::playerRemoved, "Cid", 3s));
    EXPECT_TRUE(bob.pushes.waitForPush(Code::playerRemoved, "Cid", 1s));
}

}  // namespace
}  // namespace tarvendo::server::test
