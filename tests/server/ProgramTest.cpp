#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

#include "ServerHarness.h"

namespace tarvendo::server::test {
namespace {

using ::testing::HasSubstr;

// The two programs as an operator runs them; the fault tests stop both with
// SIGTERM.
TEST(ProgramTest, BotsPlayDealsAndTheServerLogsThemAndStopsOnSigint) {
    const ServerProcess server = startServerProgram();
    ASSERT_TRUE(server.child);
    const std::unique_ptr<test::ChildProcess> bots =
        startBotProgram(server.address, 3,
                        {"--admin", "--deals", "2", "--think-ms", "0", "--client-port-base", "0"});
    ASSERT_TRUE(bots);
    ASSERT_EQ(bots->waitForExit(20s), 0) << bots->output();
    EXPECT_THAT(bots->output(), HasSubstr("deals completed: 2"));
    EXPECT_THAT(bots->output(), HasSubstr("cardElected=18"));

    server.child->signal(SIGINT);
    ASSERT_EQ(server.child->waitForExit(10s), 0) << server.child->output();
    for (const char* event : {"loginAdmin \"Bot1\" OK", "loginPlayer \"Bot3\" OK",
                              "openCards \"Bot1\" OK", "logout \"Bot2\" OK", " stopping"}) {
        EXPECT_THAT(server.child->output(), HasSubstr(event));
    }
}

TEST(ProgramTest, WrongOptionsExitWithStatusTwo) {
    for (const auto& [program, arguments] : {std::pair<std::string, std::vector<std::string>>{
                                                 TARVENDO_SERVER_PROGRAM, {"--port", "x"}},
                                             {TARVENDO_BOT_PROGRAM, {"--players", "2"}}}) {
        const std::unique_ptr<test::ChildProcess> child =
            test::ChildProcess::start(program, arguments);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->waitForExit(10s), 2) << program;
        EXPECT_THAT(child->output(), HasSubstr("usage:"));
    }
}

}  // namespace
}  // namespace tarvendo::server::test
