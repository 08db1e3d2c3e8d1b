#include <gtest/gtest.h>
#include <sys/socket.h>

#include <thread>

#include "ServerHarness.h"
#include "bot/DealDriver.h"
#include "bot/Team.h"
#include "support/Loopback.h"

namespace tarvendo::fault {
namespace {

using namespace server::test;
using bot::BotPlayer;

constexpr int kBots = 23;
constexpr int kDeals = 30;
constexpr int kPlayers = kBots + 1;
constexpr int kReceiveBuffer = 2048;

// Small system buffers, so the pushes to a player who stops reading soon
// fill them and its sender blocks; a send limit long enough that the player
// is kept through every deal. The others must not notice.
server::GameServerSettings cramped() {
    server::GameServerSettings settings;
    settings.host.push.sendBuffer = 4096;
    settings.host.push.sendTimeout = 40s;
    return settings;
}

// A player whose client server accepts the push connection and then reads
// nothing; it votes by the clock of a teammate who does read.
class StalledPlayer {
public:
    explicit StalledPlayer(const Address& server) {
        const int size = kReceiveBuffer;  // accepted connections inherit it
        ::setsockopt(listener_.socket->descriptor(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        joined_ = line_.connect(server) && login();
        pushes_ = joined_ ? test::acceptOne(listener_) : nullptr;
        voter_.start();
    }
    ~StalledPlayer() {
        voter_.stop();
        if (follower_.joinable()) {
            follower_.join();
        }
    }

    bool joined() const { return joined_ && pushes_; }
    // Votes once per play the witness sees, for as many deals.
    void voteAlong(BotPlayer& witness, int deals) {
        follower_ = std::thread([this, &witness, deals] {
            for (int deal = 1; deal <= deals; ++deal) {
                const auto limit = bot::Clock::now() + 30s;
                if (!witness.tally().waitFor(RequestCode::play, std::uint64_t(deal), limit)) {
                    return;
                }
                voter_.playStarted();
            }
        });
    }
    bot::VoteCounts votes() const { return voter_.counts(); }
    // Starts reading at last: every push held back, counted and checked for order.
    bot::PushTotals readBacklog(std::uint64_t expected, std::size_t& bytes) {
        bot::PushTally tally;
        pushes_->setTimeouts(10s, 10s);
        for (std::uint64_t i = 0; i < expected; ++i) {
            const std::optional<ByteBuffer> frame = readFrame(*pushes_);
            const std::optional<Request> push = frame ? Request::usingJson(*frame) : std::nullopt;
            if (!push) {
                break;
            }
            bytes += frame->size() + sizeof(std::int32_t);
            tally.received(push->request);
        }
        return tally.totals();
    }

private:
    bool login() {
        const std::optional<Answer> answer =
            line_.send(RequestCode::loginPlayer,
                       Json{{"player_name", "Slow"}, {"client_server_port", listener_.port}});
        if (!answer || answer->message != AnswerMessage::OK) {
            return false;
        }
        line_.setToken(answer->token);
        return true;
    }

    test::Listener listener_ = test::makeListener();
    bot::RequestLine line_;
    bot::Voter voter_{line_, "Slow", "8", 0ms};
    bool joined_ = false;
    std::shared_ptr<Socket> pushes_;
    std::thread follower_;
};

TEST(StalledReaderTest, TheOthersGetEveryPushOfEveryDealWhileOnePlayerReadsNothing) {
    RunningServer server(cramped());
    bot::Team team(teamOptions(server.address(), kBots));
    ASSERT_EQ(team.join(), std::nullopt);
    StalledPlayer slow(server.address());
    ASSERT_TRUE(slow.joined());
    BotPlayer& admin = *team.admin();
    // The admin counts the votes it waits for by the players it knows of.
    ASSERT_TRUE(eventually([&] { return admin.playersInGame() == kPlayers; }));
    slow.voteAlong(*team.players().back(), kDeals);

    const bot::DealReport report = bot::DealDriver(
                                       admin, team.players(), [] { return false; }, 20s)
                                       .run(kDeals);
    ASSERT_EQ(report.problem, "");
    EXPECT_EQ(report.completed, kDeals);
    for (BotPlayer* player : team.players()) {
        SCOPED_TRACE(player->name());
        const bot::PushTotals totals = player->tally().totals();
        EXPECT_EQ(totals.of(RequestCode::initNewDeal), std::uint64_t(kDeals));
        EXPECT_EQ(totals.of(RequestCode::play), std::uint64_t(kDeals));
        EXPECT_EQ(totals.of(RequestCode::cardElected), std::uint64_t(kPlayers * kDeals));
        EXPECT_EQ(totals.of(RequestCode::openCards), std::uint64_t(kDeals));
        EXPECT_EQ(totals.outOfOrder, 0U);
    }
    EXPECT_EQ(slow.votes().sent, std::uint64_t(kDeals));
    EXPECT_EQ(slow.votes().refused, 0U);

    // Within the limits the slow player loses nothing either, once it reads.
    const std::uint64_t perDeal = 3 + kPlayers;  // initNewDeal, play, the votes, openCards
    std::size_t bytes = 0;
    const bot::PushTotals backlog = slow.readBacklog(kDeals * perDeal, bytes);
    EXPECT_EQ(backlog.of(RequestCode::openCards), std::uint64_t(kDeals));
    EXPECT_EQ(backlog.of(RequestCode::cardElected), std::uint64_t(kPlayers * kDeals));
    EXPECT_EQ(backlog.outOfOrder, 0U);
    // The premise: far more was held back than the system buffers take.
    EXPECT_GT(bytes, 4 * std::size_t(2 * kReceiveBuffer + 2 * 4096)) << "bytes held back";
    team.leave();
}

}  // namespace
}  // namespace tarvendo::fault
