#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ServerHarness.h"
#include "bot/DealDriver.h"
#include "bot/Team.h"

namespace tarvendo::bot {
namespace {

using server::test::RunningServer;
using server::test::TestPlayer;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

class BotTeamTest : public ::testing::Test {
protected:
    BotOptions options(int players, bool admin) const {
        return server::test::teamOptions(server.address(), players, admin);
    }
    static DealReport lead(BotPlayer& leader, Team& team, int deals) {
        return DealDriver(
                   leader, team.players(), [] { return false; }, 5s)
            .run(deals);
    }

    RunningServer server;
};

TEST_F(BotTeamTest, LeavingLogsEveryoneOut) {
    TestPlayer watcher(server.address());
    watcher.join(RequestCode::loginAdmin, "Watcher");
    Team team(options(2, false));
    ASSERT_EQ(team.join(), std::nullopt);
    team.leave();
    EXPECT_TRUE(watcher.pushes.waitForPush(RequestCode::playerRemoved, "Bot1"));
    EXPECT_TRUE(watcher.pushes.waitForPush(RequestCode::playerRemoved, "Bot2"));
    EXPECT_TRUE(server.log.contains("logout \"Bot2\" OK"));
}

TEST_F(BotTeamTest, RefusalsEndTheJoinAndTheDealsWithTheirReason) {
    Team early(options(1, false));  // no admin in the game yet
    EXPECT_THAT(early.join().value_or(""), HasSubstr("adminNotLoggedIn"));
    TestPlayer admin(server.address());
    admin.join(RequestCode::loginAdmin, "Ann");
    Team team(options(1, false));
    ASSERT_EQ(team.join(), std::nullopt);
    const DealReport report = lead(*team.players().front(), team, 2);  // not the admin
    EXPECT_EQ(report.completed, 0);
    EXPECT_EQ(report.problem, "initNewDeal: error");
}

TEST(PercentileTest, NearestRank) {
    std::vector<Clock::duration> samples;
    for (int i = 100; i >= 1; --i) {
        samples.emplace_back(i);
    }
    EXPECT_EQ(percentile(samples, 0.5), Clock::duration(50));
    EXPECT_EQ(percentile(samples, 0.99), Clock::duration(99));
    EXPECT_EQ(percentile({Clock::duration(7)}, 0.99), Clock::duration(7));
    EXPECT_EQ(percentile({}, 0.5), Clock::duration::zero());
}

}  // namespace
}  // namespace tarvendo::bot
