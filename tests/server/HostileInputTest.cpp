#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include "Exchange.h"
#include "ServerHarness.h"

namespace tarvendo::server::test {
namespace {

using Code = RequestCode;
using Message = AnswerMessage;

// Every attack ends with a normal login that must still work.
class HostileInputTest : public ::testing::Test {
protected:
    std::shared_ptr<Socket> connect() {
        std::shared_ptr<Socket> socket = Socket::create();
        EXPECT_TRUE(connectSocket(*socket, server.address()));
        socket->setTimeouts(5s, 5s);
        return socket;
    }
    std::optional<Answer> readAnswer(Socket& socket) {
        const std::optional<ByteBuffer> payload = readFrame(socket);
        return payload ? Answer::usingJson(*payload) : std::nullopt;
    }
    // True when the server has closed the connection.
    static bool closedByServer(Socket& socket) {
        return !socket.readData(1).has_value() && !socket.lastReadTimedOut();
    }
    void expectLoginStillWorks(const std::string& name = "Ann") {
        TestPlayer player(server.address());
        player.join(Code::loginAdmin, name);
    }

    static GameServerSettings shortStallLimit() {
        GameServerSettings settings;
        settings.frames.stallTimeout = 300ms;
        return settings;
    }

    RunningServer server{shortStallLimit()};
};

TEST_F(HostileInputTest, UndecodableRequestIsAnsweredAndTheConnectionStaysUsable) {
    const std::shared_ptr<Socket> socket = connect();
    for (const std::string payload :
         {"not json", "[1,2]", "{\"request\":9}", "{\"request\":\"0\"}"}) {
        ASSERT_TRUE(writeFrame(*socket, ByteBuffer::fromText(payload)));
        const std::optional<Answer> answer = readAnswer(*socket);
        ASSERT_TRUE(answer) << payload;
        EXPECT_EQ(answer->message, Message::unknownRequest);
        EXPECT_EQ(answer->token, "");
        EXPECT_NE(answer->code, 0);
    }
    PushRecorder pushes;
    const Json body{
        {"player_name", "Ann"}, {"game_name", "G"}, {"client_server_port", pushes.port()}};
    const std::optional<Answer> answer = exchange(
        *socket,
        Request{Code::loginAdmin, std::nullopt, std::nullopt, ToolBox::toJsonObject(body)});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->message, Message::OK);
}

TEST_F(HostileInputTest, EmptyAndNegativeLengthsGiveUnknownRequest) {
    const std::shared_ptr<Socket> socket = connect();
    for (const std::int32_t length : {0, -1, INT32_MIN}) {
        ASSERT_TRUE(socket->writeData(frameBytes(length)));
        const std::optional<Answer> answer = readAnswer(*socket);
        ASSERT_TRUE(answer) << length;
        EXPECT_EQ(answer->message, Message::unknownRequest);
    }
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, OversizedFrameIsRefusedAndTheConnectionClosed) {
    for (const std::int32_t length : {64 * 1024 + 1, INT32_MAX}) {
        const std::shared_ptr<Socket> socket = connect();
        ASSERT_TRUE(socket->writeData(frameBytes(length, "{\"request\":")));
        const std::optional<Answer> answer = readAnswer(*socket);
        ASSERT_TRUE(answer) << length;
        EXPECT_EQ(answer->message, Message::invalidData);
        EXPECT_TRUE(closedByServer(*socket));
    }
    EXPECT_TRUE(server.log.contains("oversized frame from 127.0.0.1"));
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, GarbageBytesCostOnlyTheirConnection) {
    const std::shared_ptr<Socket> socket = connect();
    ASSERT_TRUE(socket->writeData(ByteBuffer::fromText("GET / HTTP/1.1\r\nHost: x\r\n\r\n")));
    readAnswer(*socket);
    EXPECT_TRUE(closedByServer(*socket));
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, FrameThatStallsIsDropped) {
    const std::shared_ptr<Socket> socket = connect();
    ASSERT_TRUE(socket->writeData(ByteBuffer::fromText("\x10")));  // a length begun
    EXPECT_TRUE(closedByServer(*socket));                          // after the 300 ms stall limit
    EXPECT_TRUE(server.log.contains("stalled frame from 127.0.0.1"));
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, IdleConnectionIsKept) {
    TestPlayer ann(server.address());
    std::this_thread::sleep_for(600ms);  // twice the stall limit, between frames
    ann.join(Code::loginAdmin, "Ann");
}

TEST_F(HostileInputTest, ThreeHundredAbruptlyDroppedConnectionsLeaveNothingBehind) {
    const linger abrupt{1, 0};  // close with a reset
    for (int i = 0; i < 300; ++i) {
        const std::shared_ptr<Socket> socket = connect();
        if (i % 2 == 0) {
            socket->writeData(frameBytes(32, "{\"req"));  // a frame begun
        }
        ::setsockopt(socket->descriptor(), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (server.activeConnections() > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(server.activeConnections(), 0U);
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, ConnectionsBeyondTheLimitAreClosedAtOnce) {
    std::vector<std::shared_ptr<Socket>> held;
    for (int i = 0; i < 256; ++i) {
        held.push_back(connect());
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (server.activeConnections() < 256 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_EQ(server.activeConnections(), 256U);
    const std::shared_ptr<Socket> extra = connect();
    EXPECT_TRUE(closedByServer(*extra));
    held.clear();
    const auto drained = std::chrono::steady_clock::now() + 10s;
    while (server.activeConnections() > 0 && std::chrono::steady_clock::now() < drained) {
        std::this_thread::sleep_for(20ms);
    }
    expectLoginStillWorks();
}

}  // namespace
}  // namespace tarvendo::server::test
