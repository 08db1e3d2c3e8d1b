#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "ServerHarness.h"
#include "bot/DealDriver.h"
#include "bot/Team.h"

namespace tarvendo::fault {
namespace {

using namespace server::test;
using bot::BotPlayer;

constexpr int kPlayers = 24;
constexpr int kWarmUpDeals = 100;
// Memory the server may gain after its warm-up; a leak of a few bytes per
// push would pass it many times over.
constexpr long kMemoryBoundKiB = 2 * 1024;
// Sanitizers hold freed memory back and keep shadow memory of their own.
#ifdef TARVENDO_SANITIZED
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

// TARVENDO_SOAK_DEALS, where a slow machine needs fewer.
int soakDeals() {
    const char* deals = std::getenv("TARVENDO_SOAK_DEALS");
    return deals != nullptr ? std::max(kWarmUpDeals + 1, std::atoi(deals)) : 1'000;
}

// With one malloc arena: threads that contend would otherwise add arenas,
// which grows the figures in steps of a megabyte that no leak causes.
ServerProcess startServerWithOneArena() {
    ::setenv("MALLOC_ARENA_MAX", "1", 1);
    ServerProcess server = startServerProgram();
    ::unsetenv("MALLOC_ARENA_MAX");
    return server;
}

// A full table of bots in this process against a real server process, deal
// after deal with no think time.
class SoakTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.child);
        team = std::make_unique<bot::Team>(teamOptions(server.address, kPlayers));
        ASSERT_EQ(team->join(), std::nullopt);
    }
    void TearDown() override {
        team.reset();  // everyone logs out
        if (server.child) {
            server.child->signal(SIGTERM);
            EXPECT_EQ(server.child->waitForExit(10s), 0) << server.child->output();
        }
    }

    void play(int deals) {
        const bot::DealReport report =
            bot::DealDriver(
                *team->admin(), team->players(), [] { return false; }, 20s)
                .run(deals);
        ASSERT_EQ(report.problem, "");
        ASSERT_EQ(report.completed, deals);
    }
    // VmRSS and VmHWM, printed for the record.
    long residentKiB(const std::string& when) const {
        const long resident = server.child->residentMemoryKiB().value_or(0);
        std::cout << "server memory " << when << ": VmRSS " << resident << " KiB, VmHWM "
                  << server.child->peakMemoryKiB().value_or(0) << " KiB" << std::endl;
        return resident;
    }

    ServerProcess server = startServerWithOneArena();
    std::unique_ptr<bot::Team> team;
};

TEST_F(SoakTest, EveryPushArrivesOnceAndInOrderAndTheServerStaysFlat) {
    const int deals = soakDeals();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_NO_FATAL_FAILURE(play(kWarmUpDeals));
    const long warm = residentKiB("after deal 100");
    ASSERT_NO_FATAL_FAILURE(play(deals - kWarmUpDeals));
    const long end = residentKiB("after deal " + std::to_string(deals));
    std::cout << deals << " deals in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()
              << " s" << std::endl;
    EXPECT_GT(warm, 0);
    if (kMemoryIsMeasurable) {
        EXPECT_LE(end, warm + kMemoryBoundKiB);
    }

    const auto perDeal = std::uint64_t(deals);
    std::uint64_t votesSent = 0;
    for (BotPlayer* player : team->players()) {
        votesSent += player->votes().sent;
        EXPECT_EQ(player->votes().refused, 0U) << player->name();
    }
    EXPECT_EQ(votesSent, perDeal * kPlayers) << "one vote per player and deal";
    const std::vector<BotPlayer*> players = team->players();
    for (std::size_t i = 0; i < players.size(); ++i) {
        SCOPED_TRACE(players[i]->name());
        const bot::PushTotals totals = players[i]->tally().totals();
        // Each player hears of those who logged in after it.
        EXPECT_EQ(totals.of(RequestCode::playerAdded), players.size() - 1 - i);
        EXPECT_EQ(totals.of(RequestCode::initNewDeal), perDeal);
        EXPECT_EQ(totals.of(RequestCode::play), perDeal);
        EXPECT_EQ(totals.of(RequestCode::openCards), perDeal);
        EXPECT_EQ(totals.of(RequestCode::cardElected), votesSent) << "every vote";
        EXPECT_EQ(totals.outOfOrder, 0U);
        EXPECT_EQ(totals.foreignToken + totals.undecodable, 0U);
    }
}

}  // namespace
}  // namespace tarvendo::fault
