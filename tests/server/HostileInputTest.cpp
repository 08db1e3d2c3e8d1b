#include <gtest/gtest.h>
#include <sys/socket.h>

#include "ServerHarness.h"
#include "protocol/Exchange.h"

namespace tarvendo::server::test {
namespace {

// Every attack ends with a normal login that must still work.
class HostileInputTest : public ::testing::Test {
protected:
    std::shared_ptr<Socket> connect() {
        std::shared_ptr<Socket> socket = Socket::create();
        EXPECT_TRUE(connectSocket(*socket, server.address()));
        socket->setTimeouts(5s, 5s);
        return socket;
    }
    static std::optional<Answer> readAnswer(Socket& socket) {
        const std::optional<ByteBuffer> payload = readFrame(socket);
        return payload ? Answer::usingJson(*payload) : std::nullopt;
    }
    // True when the server has closed the connection.
    static bool closedByServer(Socket& socket) {
        return !socket.readData(1).has_value() && !socket.lastReadTimedOut();
    }
    bool waitForConnections(std::size_t count) {
        return eventually([&] { return server.activeConnections() == count; });
    }
    void expectLoginStillWorks() {
        TestPlayer player(server.address());
        player.join(Code::loginAdmin, "Ann");
    }

    static GameServerSettings shortStallLimit() {
        GameServerSettings settings;
        settings.frames.stallTimeout = 300ms;
        return settings;
    }

    RunningServer server{shortStallLimit()};
};

TEST_F(HostileInputTest, UndecodableRequestsAreAnsweredAndTheConnectionStaysUsable) {
    const std::shared_ptr<Socket> socket = connect();
    std::vector<ByteBuffer> frames{frameBytes(0), frameBytes(-1), frameBytes(INT32_MIN)};
    for (const std::string payload :
         {"not json", "[1,2]", "{\"request\":9}", "{\"request\":\"0\"}"}) {
        frames.push_back(frameBytes(std::int32_t(payload.size()), payload));
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        ASSERT_TRUE(socket->writeData(frames[i]));
        const std::optional<Answer> answer = readAnswer(*socket);
        ASSERT_TRUE(answer);
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

// An oversized length ("GET " is one too) is refused at once; a frame that
// stalls is dropped after the 300 ms limit.
TEST_F(HostileInputTest, OversizedStalledAndGarbledFramesCostOnlyTheirConnection) {
    const std::pair<ByteBuffer, bool> cases[] = {
        {frameBytes(64 * 1024 + 1, "{\"request\":"), true},
        {frameBytes(INT32_MAX, "{\"request\":"), true},
        {ByteBuffer::fromText("GET / HTTP/1.1\r\nHost: x\r\n\r\n"), true},
        {ByteBuffer::fromText("\x10"), false},  // a length begun
    };
    for (const auto& [bytes, answered] : cases) {
        SCOPED_TRACE(bytes.size());
        const std::shared_ptr<Socket> socket = connect();
        ASSERT_TRUE(socket->writeData(bytes));
        if (answered) {
            const std::optional<Answer> answer = readAnswer(*socket);
            ASSERT_TRUE(answer);
            EXPECT_EQ(answer->message, Message::invalidData);
        }
        EXPECT_TRUE(closedByServer(*socket));
    }
    EXPECT_TRUE(server.log.contains("oversized frame from 127.0.0.1"));
    EXPECT_TRUE(server.log.contains("stalled frame from 127.0.0.1"));
    expectLoginStillWorks();
}

TEST_F(HostileInputTest, IdleConnectionIsKept) {
    TestPlayer ann(server.address());
    std::this_thread::sleep_for(600ms);  // twice the stall limit, between frames
    ann.join(Code::loginAdmin, "Ann");
}

// Connections beyond the limit are closed at once; those dropped abruptly,
// some in the middle of a frame, leave nothing behind.
TEST_F(HostileInputTest, ConnectionLimitAndAbruptlyDroppedConnections) {
    std::vector<std::shared_ptr<Socket>> held;
    for (int i = 0; i < 256; ++i) {
        held.push_back(connect());
    }
    ASSERT_TRUE(waitForConnections(256));
    const std::shared_ptr<Socket> extra = connect();
    EXPECT_TRUE(closedByServer(*extra));
    const linger abrupt{1, 0};  // close with a reset
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (i % 2 == 0) {
            held[i]->writeData(frameBytes(32, "{\"req"));  // a frame begun
        }
        ::setsockopt(held[i]->descriptor(), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    }
    held.clear();
    EXPECT_TRUE(waitForConnections(0));
    expectLoginStillWorks();
}

}  // namespace
}  // namespace tarvendo::server::test
