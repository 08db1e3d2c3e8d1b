#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>
#include <regex>
#include <thread>

#include "support/Loopback.h"
#include "support/Programs.h"
#include "support/RunningServer.h"
#include "transport/Frame.h"
#ifdef TARVENDO_WITH_CLIENT
#include <QAction>
#include <QLabel>
#include <QTemporaryDir>

#include "client/app/MainWindow.h"
#include "client/app/Reconnector.h"
#include "client/results/DealTracker.h"
#include "client/results/HistoryExport.h"
#include "client/table/SegmentedControl.h"
#include "protocol/DeckSymbols.h"
#include "protocol/Exchange.h"
#include "support/CsvReader.h"
#include "support/qt/QtWaiting.h"
#include "support/qt/TableDriver.h"
#endif

// Real programs together: a tarvendo-server process, tarvendo-bot processes,
// players in this process and, where the client is built, the client in this
// process driven through its widgets. The children are started on the test's
// main thread and die with the test.
namespace tarvendo::test {
namespace {

using enum RequestCode;

// One malloc arena in every program: threads that contend would otherwise
// add arenas, which grows memory in steps of a megabyte that no leak causes.
const int kOneArena = ::setenv("MALLOC_ARENA_MAX", "1", 1);

class Scenario : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.child) << "the server does not start"; }

    // Starts a bot process; waits until all its players are in.
    ChildProcess& seatBots(int players, std::vector<std::string> options = {}) {
        bots.push_back(startBotProgram(server.address, players, options));
        const std::string joined = std::to_string(players) + " players logged in";
        EXPECT_TRUE(bots.back()->waitForOutput(joined, kPatience)) << bots.back()->output();
        return *bots.back();
    }
    // Stops a program with the signal; its output, once it ended with status 0.
    static std::string stop(ChildProcess& program, int signal = SIGTERM) {
        program.signal(signal);
        EXPECT_EQ(program.waitForExit(kPatience), 0) << program.output();
        return program.output();
    }

    // Players that vanish lose their seats after a second, not a minute.
    ServerProcess server = startServerProgram({"--grace", "1"});
    std::vector<std::unique_ptr<ChildProcess>> bots;
};

// A thousand connections in a row, each with junk and then a reset: nothing,
// a frame begun, an oversized length, random bytes. The pause lets a small
// listen queue keep up.
void flood(std::int32_t port, std::mt19937& random) {
    const linger reset{1, 0};
    for (int i = 0; i < 1'000; ++i) {
        std::string bytes(random() % 200, '\0');
        std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
        const ByteBuffer junk[] = {ByteBuffer{}, frameBytes(40, "{\"request\":"),
                                   frameBytes(INT32_MAX), ByteBuffer::fromText(bytes)};
        FramePeer peer(port);
        peer.socket().writeData(junk[i % 4]);  // the other end may have reset already
        ::setsockopt(peer.socket().descriptor(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        std::this_thread::sleep_for(1ms);
    }
}

// Ann, the admin in this process, with a bot and Slow, a player whose client
// server takes the push connection and reads nothing, with the smallest
// receive buffer. Junk floods the game server's port and the bot's client
// server. Then Ann leads deals with long titles that soon fill every buffer
// on the way to Slow, whose sender blocks, within the send limit: nobody else
// waits for it, and once Slow reads it finds everything Ann got since it
// came, in order.
TEST_F(Scenario, HostileAndStalledPeersHoldUpNobody) {
    TestPlayer ann(server.address);
    ann.join(loginAdmin, "Ann");
    const std::int32_t botPort = freePort();
    ChildProcess& bot =
        seatBots(1, {"--think-ms", "0", "--client-port-base", std::to_string(botPort)});
    const Listener stalled = makeListener();
    const int smallest = 1;  // accepted connections inherit it
    ::setsockopt(stalled.socket->descriptor(), SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    RequestPeer slow(server.address);
    slow.login(loginPlayer, "Slow", stalled.port);
    const std::shared_ptr<Socket> backlog = acceptOne(stalled);
    ASSERT_TRUE(backlog);

    std::mt19937 random(8);  // the same junk every run
    flood(server.address.port, random);
    flood(botPort, random);
    TestPlayer cy(server.address);
    cy.join(loginPlayer, "Cy");
    ASSERT_EQ(ann.pushes.pushes.waitFor(3).size(), 3U) << "the bot, Slow and Cy came";

    // Three deals fill the buffers and stay well within the send limit, even
    // in a sanitizer's build.
    for (int deal = 0; deal < 3; ++deal) {
        const std::size_t seen = ann.pushes.pushes.size();
        ann.client.send(initNewDeal, Json{{"title", std::string(40'000, 'a')}});
        ann.client.send(play);
        // Init, Play and the bot's sealed vote, then its card shown and Open.
        ASSERT_EQ(ann.pushes.pushes.waitFor(seen + 3).size(), seen + 3) << "deal " << deal;
        ann.client.send(openCards);
        ASSERT_EQ(ann.pushes.pushes.waitFor(seen + 5).size(), seen + 5) << "deal " << deal;
    }
    backlog->setTimeouts(kPatience, kPatience);
    const std::vector<Request> sent = ann.pushes.pushes.items();
    FrameReader frames(*backlog);
    for (auto push = sent.begin() + 2; push != sent.end(); ++push) {
        const std::optional<ByteBuffer> frame = frames.next();
        const std::optional<Request> got = frame ? Request::usingJson(*frame) : std::nullopt;
        ASSERT_TRUE(got);
        EXPECT_EQ(got->request, push->request);
        EXPECT_EQ(got->data, push->data);
    }
    EXPECT_NE(stop(bot).find("openCards=3 cardElected=6"), std::string::npos) << bot.output();
    EXPECT_NE(stop(*server.child, SIGINT).find(" stopping"), std::string::npos);
}

// A full table of bots, deal after deal with no think time: a team of 24 for
// a warm-up of 100 deals (half of a shorter soak), then another for the rest
// of TARVENDO_SOAK_DEALS (1,000). The bots' own checks: every deal done, every
// push once per player (a vote twice: sealed, then shown at the opening), in
// its deal's order and with its own token, every vote taken. The server's memory stays where the
// warm-up left it.
TEST_F(Scenario, SoakOfAFullTable) {
    const char* soakDeals = std::getenv("TARVENDO_SOAK_DEALS");
    const int total = soakDeals != nullptr ? std::max(2, std::atoi(soakDeals)) : 1'000;
    const int warmUp = std::min(100, total / 2);
    std::vector<long> residentKiB;
    for (const int deals : {warmUp, total - warmUp}) {
        const std::string each = std::to_string(deals * 24);
        const std::regex clean(
            "deals completed: " + std::to_string(deals) +
            "[\\s\\S]*playerAdded=276 playerRemoved=\\d+ "
            "initNewDeal=" +
            each + " play=" + each + " openCards=" + each +
            " cardElected=" + std::to_string(deals * 24 * 48) + "\nvotes sent: " + each +
            " \\(not accepted: 0\\)\n"
            "pushes with another token: 0, undecodable pushes: 0, pushes out of deal order: 0\n");
        const auto team = startBotProgram(
            server.address, 24, {"--admin", "--deals", std::to_string(deals), "--think-ms", "0"});
        ASSERT_EQ(team->waitForExit(150s), 0) << team->output();
        EXPECT_TRUE(std::regex_search(team->output(), clean)) << team->output();
        residentKiB.push_back(server.child->residentMemoryKiB().value_or(0));
    }
#ifndef TARVENDO_SANITIZED  // sanitizers hold freed memory back
    EXPECT_LE(residentKiB.back(), residentKiB.front() + 2 * 1024) << "KiB after the warm-up";
#endif
}

#ifdef TARVENDO_WITH_CLIENT
using client::Card;

bool faceDown(const Card& card) {
    return card.symbol() == "#";
}
bool elected(const Card& card) {
    return faceDown(card) && card.status() == client::CardStatus::known;
}
bool faceUp(const Card& card) {
    return isDeckSymbol(card.symbol().toStdString()) && card.status() == client::CardStatus::none;
}

// What make demo shows one person: the client in this process is Ann, the
// admin, and with four bots she plays three deals, each seat face down until
// its player elects, then face up, the last opened by the client by itself;
// two more bots are killed during a deal and leave the table. The history of
// the three deals exports as CSV. The bots leave; then the server dies in the
// middle of a deal: the client's next exchange ends at once, the status line
// says why, and the quit ends the application while it tries to reconnect,
// closing the push connections it holds, and leaves no process behind.
TEST_F(Scenario, TableOfThreeDealsThenTheServerDies) {
    TableDriver table(server.address, "Ann", "Sprint 12");
    const client::MainWindow& window = *table.delegate.window();
    ChildProcess& team = seatBots(4, {"--think-ms", "50"});
    ChildProcess& doomed = seatBots(2, {"--think-ms", "50", "--name-prefix", "Doomed"});
    const auto seatsShow = [&](bool (*face)(const Card&), std::size_t seats) {
        return waitUntil([&] {
            const std::vector<client::Desktop::Seat> shown = table.desktop.seats();
            return shown.size() == seats &&
                   std::ranges::all_of(shown, [&](const auto& seat) { return face(seat.card); });
        });
    };
    for (const auto& [title, seats, position] :
         {std::tuple{"Login page", 7U, 5U}, {"Search box", 5U, 0U}, {"Export", 5U, 11U}}) {
        SCOPED_TRACE(title);
        const bool opensByItself = position == 11U;
        window.findChild<QAction*>("openAutomatically")->setChecked(opensByItself);
        ASSERT_TRUE(table.startDeal(title));
        if (table.desktop.seats().size() > seats) {
            doomed.signal(SIGKILL);  // during the deal
        }
        EXPECT_TRUE(seatsShow(faceDown, seats));
        const std::optional<QString> picked = table.pickCard(position);
        EXPECT_TRUE(seatsShow(elected, seats));
        ASSERT_TRUE(picked && (opensByItself || table.openCards()));
        EXPECT_TRUE(seatsShow(faceUp, seats));
        EXPECT_EQ(table.desktop.seats().front().card.symbol(), *picked) << "Ann's own card";
    }
    const QTemporaryDir folder;
    const QString exported = folder.filePath("history.csv");
    const client::DealTracker& tracker = *window.findChild<client::DealTracker*>();
    // The main thread learns of the last opening after the table shows it.
    ASSERT_TRUE(waitUntil([&] { return tracker.history().deals().size() == 3; }));
    ASSERT_EQ(client::exportHistory(tracker.history().deals(), exported), std::nullopt);
    const std::optional<CsvRows> rows = readCsvFile(exported.toStdString());
    ASSERT_TRUE(rows && rows->size() == 4) << "a header and the three deals";
    EXPECT_EQ(rows->at(0).size(), 5U + 7U) << "a column for each player of any deal";
    const std::string summary = stop(team);
    EXPECT_NE(summary.find("initNewDeal=12 play=12 openCards=12 "), std::string::npos) << summary;
    EXPECT_NE(server.child->output().find("logout \"Bot4\" OK"), std::string::npos);
    EXPECT_EQ(doomed.waitForExit(0s), 128 + SIGKILL);
    ASSERT_TRUE(table.startDeal("Doomed"));
    server.child->signal(SIGKILL);
    ASSERT_EQ(server.child->waitForExit(kPatience), 128 + SIGKILL);
    const auto started = std::chrono::steady_clock::now();
    table.pickCard(7);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kExchangeTimeout);
    const QLabel& status = *table.delegate.window()->connectionStatus();
    EXPECT_TRUE(waitUntil([&] { return status.isVisible(); }));
    EXPECT_EQ(status.text().toStdString(), client::Reconnector::kLostText);
    FramePeer silent(table.delegate.clientServerPort().value_or(0));
    EXPECT_TRUE(table.quitsWithin(5s));
    EXPECT_TRUE(silent.seesEndOfStream()) << "closed by the quit, not left to time out";
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child process is left";
    EXPECT_TRUE(table.alerts.alerts().empty()) << "an alert showed";
}

// Ann leads a deal with two bots on a server that keeps its state. The votes
// stay sealed for Spy, who joins late and gets the deal so far; when Spy
// leaves without voting, Ann's Open comes on. The server is killed and
// started again on its state: everyone comes back by themselves, votes and
// all, and the opening shows them. Bots that vanish lose their seats once
// the grace runs out.
TEST(ComebackScenario, VotesStaySecretAndSurviveARestartOfTheServer) {
    const std::string state = testing::TempDir() + "comeback-" + std::to_string(::getpid());
    const std::vector<std::string> options{"--state", state, "--grace", "3"};
    ServerProcess server = startServerProgram(options);
    ASSERT_TRUE(server.child);
    TableDriver table(server.address, "Ann", "Sprint");
    const auto bots = startBotProgram(server.address, 2, {"--think-ms", "100", "--vote", "8"});
    ASSERT_TRUE(bots->waitForOutput("2 players logged in", kPatience));
    ASSERT_TRUE(table.startDeal("Story"));
    TestPlayer spy(server.address);
    spy.join(loginPlayer, "Spy");
    const auto seats = [&](const char* shown) {
        return waitUntil([&] {
            std::string faces;
            for (const client::Desktop::Seat& seat : table.desktop.seats()) {
                faces += seat.card.symbol().toStdString() + (elected(seat.card) ? "!" : "") + " ";
            }
            return faces == shown;
        });
    };
    EXPECT_TRUE(seats("# #! #! # ")) << "Ann, the two bots (voted) and Spy";
    EXPECT_EQ(table.pickCard(4), "3");
    const std::vector<Request> seen = spy.pushes.pushes.waitFor(5);
    ASSERT_EQ(seen.size(), 5U);
    EXPECT_EQ(seen[0].request, initNewDeal) << "the deal so far, first";
    for (const Request& push : seen) {
        EXPECT_TRUE(push.request != cardElected || bodyOf(push)["symbol"] == "*");
    }
    spy.client.send(logout);
    const auto openEnabled = [&] {
        return table.toolBar.segmentedControl()->isSegmentEnabled(2);
    };
    EXPECT_TRUE(waitUntil(openEnabled)) << "nobody left without a card";

    server.child->signal(SIGKILL);
    server.child->waitForExit(kPatience);
    std::vector<std::string> again{"--port", std::to_string(server.address.port)};
    again.insert(again.end(), options.begin(), options.end());
    const ServerProcess restarted = startServerProgram(again);
    ASSERT_TRUE(restarted.child);
    const auto back = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil(
        [&] {
            return table.delegate.window()->connectionStatus()->text() ==
                   client::Reconnector::kBackText;
        },
        10s));
    EXPECT_TRUE(seats("#! #! #! ")) << "every vote kept";
    EXPECT_TRUE(restarted.child->waitForOutput("Bot2\" OK, seat taken back", 10s));
    EXPECT_LT(std::chrono::steady_clock::now() - back, 10s);
    EXPECT_FALSE(restarted.child->waitForOutput("cardElected", 1s))
        << "a bot chose again a card the server kept for it";
    ASSERT_TRUE(waitUntil(openEnabled) && table.openCards());
    EXPECT_TRUE(seats("3 8 8 "));
    bots->signal(SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return table.desktop.seats().size() == 1; }, 10s))
        << "gone once the grace ran out";
    EXPECT_TRUE(table.quitsWithin(5s));
}
#endif

}  // namespace
}  // namespace tarvendo::test
