#include <gtest/gtest.h>

#include <csignal>

#include "ServerHarness.h"

namespace tarvendo::fault {
namespace {

using namespace server::test;

// Bot players whose process dies outright: no logout, the system closes
// their sockets. Ann, the admin, watches from this process.
class ClientKilledTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(ann.join(RequestCode::loginAdmin, "Ann")); }

    std::unique_ptr<test::ChildProcess> seatBots(int players, const std::string& prefix) {
        std::unique_ptr<test::ChildProcess> bots = startBotProgram(
            server.address(), players,
            {"--name-prefix", prefix, "--client-port-base", "0", "--think-ms", "0"});
        EXPECT_TRUE(bots &&
                    bots->waitForOutput(std::to_string(players) + " players logged in", 10s))
            << (bots ? bots->output() : "no bot process");
        return bots;
    }

    void expectOk(RequestCode code, const std::optional<Json>& body = std::nullopt) {
        const std::optional<Answer> answer = ann.client.send(code, body);
        ASSERT_TRUE(answer) << name(code);
        EXPECT_EQ(answer->message, AnswerMessage::OK) << name(code);
    }

    RunningServer server;
    TestPlayer ann{server.address()};
};

TEST_F(ClientKilledTest, KilledDuringADealItsPlayersAreRemovedAndEveryoneIsTold) {
    const std::unique_ptr<test::ChildProcess> watcher = seatBots(1, "Watcher");
    const std::unique_ptr<test::ChildProcess> bots = seatBots(2, "Bot");
    ASSERT_TRUE(watcher && bots);
    ASSERT_TRUE(ann.pushes.waitForPush(RequestCode::playerAdded, "Bot2"));
    expectOk(RequestCode::initNewDeal, Json{{"title", "Crash"}});
    expectOk(RequestCode::play);
    ASSERT_TRUE(ann.pushes.waitForPush(RequestCode::cardElected, "Bot2")) << "voting has begun";

    bots->signal(SIGKILL);
    ASSERT_EQ(bots->waitForExit(5s), 128 + SIGKILL);
    for (const char* player : {"Bot1", "Bot2"}) {
        EXPECT_TRUE(ann.pushes.waitForPush(RequestCode::playerRemoved, player)) << player;
        EXPECT_TRUE(server.log.contains("playerRemoved \"" + std::string(player) + "\"")) << player;
    }
    // The watcher, a bot process of its own, was told as well.
    watcher->signal(SIGTERM);
    ASSERT_EQ(watcher->waitForExit(10s), 0) << watcher->output();
    EXPECT_NE(watcher->output().find("playerRemoved=2"), std::string::npos) << watcher->output();

    // Their seats are free again and the game goes on.
    const std::unique_ptr<test::ChildProcess> again = seatBots(2, "Bot");
    expectOk(RequestCode::openCards);
    ASSERT_TRUE(again);
    again->signal(SIGTERM);
    EXPECT_EQ(again->waitForExit(10s), 0) << again->output();
}

}  // namespace
}  // namespace tarvendo::fault
