#include <gtest/gtest.h>

#include <sys/socket.h>

#include <thread>

#include "support/Loopback.h"
#include "transport/Frame.h"
#include "transport/Server.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

// Echoes every frame back until the peer closes or the server stops.
class EchoThread : public ServerThread {
public:
    using ServerThread::ServerThread;
    void run() override {
        while (!shouldClose()) {
            const std::optional<ByteBuffer> frame = readFrame(socket());
            if (!frame) {
                return;
            }
            writeFrame(socket(), *frame);
        }
    }
};

class EchoDelegate : public ServerDelegate {
public:
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override {
        auto thread = std::make_shared<EchoThread>(std::move(socket));
        addresses.push_back(thread->clientAddress());
        return thread;
    }
    std::vector<std::optional<std::string>> addresses;  // accepting thread only
};

class ServerTest : public ::testing::Test {
protected:
    void start(std::size_t maxConnections = 16) {
        server = Server::create(delegate, maxConnections);
        ASSERT_NE(server, nullptr);
        ASSERT_TRUE(server->listenOn(0));
        port = *server->boundPort();
        serving = std::thread([this] { server->serve(); });
    }
    void TearDown() override {
        if (server) {
            server->stop();
        }
        if (serving.joinable()) {
            serving.join();
        }
    }
    std::shared_ptr<Socket> connect() const {
        std::shared_ptr<Socket> socket = Socket::create();
        EXPECT_EQ(
            connect_socket(socket->descriptor(), "127.0.0.1", static_cast<std::uint16_t>(port)), 0);
        socket->setTimeouts(5s, 5s);
        return socket;
    }
    static std::string echo(Socket& socket, const std::string& text) {
        writeFrame(socket, ByteBuffer::fromText(text));
        const std::optional<ByteBuffer> reply = readFrame(socket);
        return reply ? std::string(reply->text()) : "<none>";
    }

    std::shared_ptr<EchoDelegate> delegate = std::make_shared<EchoDelegate>();
    std::shared_ptr<Server> server;
    std::int32_t port = 0;
    std::thread serving;
};

TEST_F(ServerTest, ServesTwoConnectionsAtOnceEachKnowingItsClient) {
    start();
    const std::shared_ptr<Socket> first = connect();
    EXPECT_EQ(echo(*first, "one"), "one");
    const std::shared_ptr<Socket> second = connect();
    EXPECT_EQ(echo(*second, "two"), "two") << "the first connection is still being served";
    EXPECT_EQ(echo(*first, "again"), "again");
    EXPECT_EQ(delegate->addresses,
              (std::vector<std::optional<std::string>>{"127.0.0.1", "127.0.0.1"}));
}

TEST_F(ServerTest, PeerSeesTheConnectionEndWithItsThread) {
    start();
    const std::shared_ptr<Socket> client = connect();
    echo(*client, "x");
    ::shutdown(client->descriptor(), SHUT_WR);  // ends the echo loop
    EXPECT_FALSE(client->readData(1).has_value());
}

TEST_F(ServerTest, ConnectionsOverTheLimitAreClosedAtOnceFinishedOnesFreeTheirPlace) {
    start(1);
    const std::shared_ptr<Socket> first = connect();
    EXPECT_EQ(echo(*first, "kept"), "kept");
    EXPECT_EQ(echo(*connect(), "dropped"), "<none>");
    EXPECT_EQ(echo(*first, "still"), "still");
    first->close();
    for (int wait = 0; wait < 1000 && server->activeConnections() > 0; ++wait) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(echo(*connect(), "next"), "next");
}

TEST_F(ServerTest, StopEndsBlockedConnectionsAndLeavesThePortFreeToBind) {
    start();
    const std::shared_ptr<Socket> client = connect();
    echo(*client, "idle next");
    server->stop();
    serving.join();
    EXPECT_FALSE(client->readData(1).has_value());
    // The server closed first, so its side of the connection is in TIME_WAIT.
    EXPECT_TRUE(Server::create(delegate)->listenOn(port));
}

TEST_F(ServerTest, WithoutDelegateConnectionsAreDropped) {
    delegate.reset();
    start();
    EXPECT_EQ(echo(*connect(), "anyone?"), "<none>");
}

// Nothing accepts here, so every connect is completed by the system alone:
// with the default queue of five the seventh would wait for a SYN resend.
TEST(ServerBindTest, LongerBacklogCompletesABurstOfConnectsWithoutAccepting) {
    const auto delegate = std::make_shared<EchoDelegate>();
    const std::shared_ptr<Server> server = Server::create(delegate, 1024, 64);
    ASSERT_TRUE(server->listenOn(0));
    std::vector<std::shared_ptr<Socket>> clients;
    for (int i = 0; i < 40; ++i) {
        clients.push_back(Socket::create());
        clients.back()->setTimeouts(500ms, 500ms);
        ASSERT_EQ(connect_socket(clients.back()->descriptor(), "127.0.0.1",
                                 static_cast<std::uint16_t>(*server->boundPort())),
                  0)
            << "connect " << i;
    }
}

TEST(ServerBindTest, PortAlreadyBoundIsReported) {
    const test::Listener taken = test::makeListener();
    const std::shared_ptr<Server> server = Server::create(std::make_shared<EchoDelegate>());
    testing::internal::CaptureStdout();
    server->runOnPort(taken.port);  // returns at once
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't bind server socket to port\n");
}

}  // namespace
}  // namespace tarvendo
