#include <gtest/gtest.h>
#include <sys/socket.h>

#include <csignal>
#include <random>
#include <thread>

#include "ServerHarness.h"
#include "protocol/Exchange.h"
#include "support/Loopback.h"

namespace tarvendo::fault {
namespace {

using namespace server::test;

constexpr int kConnections = 1'000;

// What a broken or hostile peer sends before it drops the connection.
ByteBuffer junk(int kind, std::mt19937& random) {
    switch (kind % 4) {
        case 0:
            return {};  // connects and resets at once
        case 1:
            return frameBytes(40, "{\"request\":");  // a frame begun
        case 2:
            return frameBytes(INT32_MAX, "{\"request\":");  // oversized
        default: {
            std::vector<std::uint8_t> bytes(1 + random() % 200);
            for (std::uint8_t& byte : bytes) {
                byte = static_cast<std::uint8_t>(random());
            }
            return ByteBuffer(std::move(bytes));
        }
    }
}

// Opens the connections one after the other, each closed with a reset. A
// pause between them lets a small listen queue keep up: a connection it has
// no room for waits a second for the system to try again.
void flood(const Address& target, std::mt19937& random, std::chrono::microseconds pause) {
    const linger abrupt{1, 0};
    for (int i = 0; i < kConnections; ++i) {
        const std::shared_ptr<Socket> socket = Socket::create();
        ASSERT_TRUE(socket && connectSocket(*socket, target)) << "connection " << i;
        const ByteBuffer bytes = junk(i, random);
        if (!bytes.empty()) {
            socket->writeData(bytes);  // the peer may have reset already
        }
        ::setsockopt(socket->descriptor(), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
        std::this_thread::sleep_for(pause);
    }
}

// A client server still accepts, and answers what it cannot decode.
void expectStillServing(const Address& clientServer) {
    const std::shared_ptr<Socket> socket = Socket::create();
    ASSERT_TRUE(socket && connectSocket(*socket, clientServer));
    socket->setTimeouts(5s, 5s);
    ASSERT_TRUE(writeFrame(*socket, ByteBuffer::fromText("not json")));
    const std::optional<ByteBuffer> payload = readFrame(*socket);
    const std::optional<Answer> answer = payload ? Answer::usingJson(*payload) : std::nullopt;
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->message, AnswerMessage::unknownRequest);
}

// A port the system just handed out and took back.
std::int32_t freePort() {
    return test::makeListener().port;
}

// Both programs under junk on their ports: the game server's and a bot's
// client server's. Afterwards a player logs in and a whole deal is played.
TEST(HostileFloodTest, ThousandsOfBrokenConnectionsThenALoginAndADeal) {
    const ServerProcess server = startServerProgram();
    ASSERT_TRUE(server.child);
    TestPlayer ann(server.address);
    ASSERT_NO_FATAL_FAILURE(ann.join(RequestCode::loginAdmin, "Ann"));
    const std::int32_t botPort = freePort();
    const std::unique_ptr<test::ChildProcess> bots = startBotProgram(
        server.address, 1, {"--client-port-base", std::to_string(botPort), "--think-ms", "0"});
    ASSERT_TRUE(bots && bots->waitForOutput("1 players logged in", 10s))
        << (bots ? bots->output() : "");

    std::mt19937 random(8);  // the same junk every run
    ASSERT_NO_FATAL_FAILURE(flood(server.address, random, 0us));
    ASSERT_NO_FATAL_FAILURE(flood(Address{"127.0.0.1", botPort}, random, 1ms));
    ASSERT_NO_FATAL_FAILURE(expectStillServing(Address{"127.0.0.1", botPort}));

    TestPlayer cy(server.address);
    ASSERT_NO_FATAL_FAILURE(cy.join(RequestCode::loginPlayer, "Cy"));
    ASSERT_EQ(ann.client.send(RequestCode::initNewDeal, Json{{"title", "After"}})->message,
              AnswerMessage::OK);
    ASSERT_EQ(ann.client.send(RequestCode::play)->message, AnswerMessage::OK);
    for (TestPlayer* player : {&ann, &cy}) {
        const std::string name = player == &ann ? "Ann" : "Cy";
        const Json vote{{"player_name", name}, {"symbol", "3"}};
        EXPECT_EQ(player->client.send(RequestCode::cardElected, vote)->message, AnswerMessage::OK);
    }
    ASSERT_TRUE(ann.pushes.waitForPush(RequestCode::cardElected, "Bot1")) << "the bot voted";
    ASSERT_EQ(ann.client.send(RequestCode::openCards)->message, AnswerMessage::OK);
    EXPECT_TRUE(cy.pushes.waitForPush(RequestCode::openCards, ""));

    bots->signal(SIGTERM);
    ASSERT_EQ(bots->waitForExit(10s), 0) << bots->output();
    EXPECT_NE(bots->output().find("openCards=1 cardElected=3"), std::string::npos)
        << bots->output();
    EXPECT_NE(bots->output().find("pushes out of deal order: 0"), std::string::npos);
    server.child->signal(SIGTERM);
    EXPECT_EQ(server.child->waitForExit(10s), 0) << server.child->output();
}

}  // namespace
}  // namespace tarvendo::fault
