#include <gtest/gtest.h>

#include "DealDriver.h"
#include "ServerHarness.h"
#include "Team.h"

namespace tarvendo::bot {
namespace {

using server::test::PushRecorder;
using server::test::RunningServer;
using server::test::TestPlayer;
using namespace std::chrono_literals;

class BotTeamTest : public ::testing::Test {
protected:
    BotOptions options(int players, bool admin) const {
        BotOptions options;
        options.server = server.address();
        options.players = players;
        options.clientPortBase = 0;
        options.think = 0ms;
        options.admin = admin;
        return options;
    }
    static DealReport lead(Team& team, int deals) {
        return DealDriver(
                   *team.admin(), team.players(), [] { return false; }, 5s)
            .run(deals);
    }

    RunningServer server;
};

TEST_F(BotTeamTest, AdminLeadsDealsAndEveryBotSeesEveryPush) {
    Team team(options(3, true));
    ASSERT_EQ(team.join(), std::nullopt);
    const DealReport report = lead(team, 3);
    EXPECT_EQ(report.problem, "");
    EXPECT_EQ(report.completed, 3);
    EXPECT_EQ(report.openLatencies.size(), 3U);
    for (BotPlayer* player : team.players()) {
        const PushTotals totals = player->tally().totals();
        EXPECT_EQ(totals.of(RequestCode::initNewDeal), 3U) << player->name();
        EXPECT_EQ(totals.of(RequestCode::play), 3U);
        EXPECT_EQ(totals.of(RequestCode::openCards), 3U);
        EXPECT_EQ(totals.of(RequestCode::cardElected), 9U);
        EXPECT_EQ(totals.foreignToken, 0U);
        EXPECT_EQ(player->votes().sent, 3U);
        EXPECT_EQ(player->votes().refused, 0U);
    }
    EXPECT_NE(team.summary().find("openCards=9 cardElected=27"), std::string::npos)
        << team.summary();
}

TEST_F(BotTeamTest, FixedVoteIsWhatTheOthersSee) {
    BotOptions fixed = options(2, true);
    fixed.vote = "13";
    Team team(fixed);
    ASSERT_EQ(team.join(), std::nullopt);
    TestPlayer watcher(server.address());
    watcher.join(RequestCode::loginPlayer, "Watcher");
    team.players().front()->line().send(RequestCode::initNewDeal, Json{{"title", "T"}});
    team.players().front()->line().send(RequestCode::play);
    EXPECT_TRUE(watcher.pushes.waitForPush(RequestCode::cardElected, "Bot1"));
    EXPECT_TRUE(watcher.pushes.waitForPush(RequestCode::cardElected, "Bot2"));
    for (const Request& push : watcher.pushes.waitFor(10, 100ms)) {
        if (push.request == RequestCode::cardElected) {
            EXPECT_EQ(server::test::bodyJson(push)["symbol"], "13");
        }
    }
}

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

TEST_F(BotTeamTest, JoinReportsARefusedLogin) {
    Team team(options(1, false));  // no admin in the game yet
    const std::optional<std::string> problem = team.join();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("adminNotLoggedIn"), std::string::npos) << *problem;
}

TEST_F(BotTeamTest, DealsEndWithTheReasonWhenTheServerRefuses) {
    TestPlayer admin(server.address());
    admin.join(RequestCode::loginAdmin, "Ann");
    Team team(options(1, false));
    ASSERT_EQ(team.join(), std::nullopt);
    BotPlayer& notAdmin = *team.players().front();
    const DealReport report = DealDriver(
                                  notAdmin, team.players(), [] { return false; }, 1s)
                                  .run(2);
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
