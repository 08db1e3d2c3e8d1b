#include <gtest/gtest.h>

#include <csignal>

#include "ChildProcess.h"

namespace tarvendo::bot {
namespace {

using namespace std::chrono_literals;

// The two programs as an operator runs them.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"});
        ASSERT_TRUE(server);
        port = listeningPort(*server, 10s);
        ASSERT_TRUE(port) << server->output();
    }

    std::unique_ptr<ChildProcess> server;
    std::optional<int> port;
};

TEST_F(ProgramTest, BotsPlayDealsAndTheServerLogsAndStopsOnSigterm) {
    const std::unique_ptr<ChildProcess> bots =
        ChildProcess::start(TARVENDO_BOT_PROGRAM, {"--server", "127.0.0.1:" + std::to_string(*port),
                                                   "--players", "3", "--admin", "--deals", "2",
                                                   "--think-ms", "0", "--client-port-base", "0"});
    ASSERT_TRUE(bots);
    ASSERT_EQ(bots->waitForExit(20s), 0) << bots->output();
    EXPECT_NE(bots->output().find("deals completed: 2"), std::string::npos) << bots->output();
    EXPECT_NE(bots->output().find("cardElected=18"), std::string::npos) << bots->output();

    server->signal(SIGTERM);
    ASSERT_EQ(server->waitForExit(10s), 0) << server->output();
    const std::string log = server->output();
    for (const char* event : {"loginAdmin \"Bot1\" OK", "loginPlayer \"Bot3\" OK",
                              "openCards \"Bot1\" OK", "logout \"Bot2\" OK", " stopping"}) {
        EXPECT_NE(log.find(event), std::string::npos) << event << "\n" << log;
    }
}

TEST_F(ProgramTest, SigintStopsTheServerToo) {
    server->signal(SIGINT);
    EXPECT_EQ(server->waitForExit(10s), 0) << server->output();
}

TEST_F(ProgramTest, BotStopsOnSigterm) {
    const std::unique_ptr<ChildProcess> bots = ChildProcess::start(
        TARVENDO_BOT_PROGRAM, {"--server", "127.0.0.1:" + std::to_string(*port), "--players", "2",
                               "--admin", "--client-port-base", "0"});
    ASSERT_TRUE(bots);
    ASSERT_TRUE(bots->waitForOutput("2 players logged in", 10s)) << bots->output();
    bots->signal(SIGTERM);
    ASSERT_EQ(bots->waitForExit(10s), 0) << bots->output();
    EXPECT_NE(bots->output().find("pushes received:"), std::string::npos);
}

TEST(ProgramUsageTest, WrongOptionsExitWithStatusTwo) {
    for (const auto& [program, arguments] : {std::pair<std::string, std::vector<std::string>>{
                                                 TARVENDO_SERVER_PROGRAM, {"--port", "x"}},
                                             {TARVENDO_BOT_PROGRAM, {"--players", "2"}}}) {
        const std::unique_ptr<ChildProcess> child = ChildProcess::start(program, arguments);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->waitForExit(10s), 2) << program;
        EXPECT_NE(child->output().find("usage:"), std::string::npos);
    }
}

}  // namespace
}  // namespace tarvendo::bot
