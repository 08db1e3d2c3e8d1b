#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <thread>

#include "Loopback.h"
#include "SocketPrimitives.h"

namespace tarvendo {
namespace {

using test::LoopbackPair;
using test::makeLoopbackPair;

// Installs a do-nothing SIGUSR1 handler without SA_RESTART, so a blocked
// read or write returns EINTR when the signal arrives.
class InterruptingSignal {
public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = [](int) {
        };
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR1, &action, &previous_);
    }
    ~InterruptingSignal() { sigaction(SIGUSR1, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

class SocketPrimitivesTest : public ::testing::Test {
protected:
    LoopbackPair pair = makeLoopbackPair();
    std::array<char, 64> buffer{};
};

TEST_F(SocketPrimitivesTest, ReadInterruptedBySignalStillReturnsTheFullCount) {
    InterruptingSignal handler;
    std::atomic<bool> started{false};
    std::int32_t result = 0;
    std::thread reader([&] {
        started = true;
        result = read_bytes(pair.server->descriptor(), buffer.data(), 6);
    });
    while (!started) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pthread_kill(reader.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    test::writeRaw(*pair.client, "abc");
    pthread_kill(reader.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    test::writeRaw(*pair.client, "def");
    reader.join();
    EXPECT_EQ(result, 6);
    EXPECT_EQ(std::string(buffer.data(), 6), "abcdef");
}

TEST_F(SocketPrimitivesTest, WriteToAGonePeerFailsWithoutSignal) {
    pair.server->close();
    const std::string chunk(64 * 1024, 'z');
    std::int32_t result = 0;
    // The first writes may still be buffered; a reset follows soon after.
    for (int attempt = 0; attempt < 100 && result != -1; ++attempt) {
        result = write_bytes(pair.client->descriptor(), chunk.data(),
                             static_cast<std::int32_t>(chunk.size()));
    }
    EXPECT_EQ(result, -1);
}

TEST_F(SocketPrimitivesTest, InvalidDescriptorFailsEveryCall) {
    EXPECT_EQ(read_bytes(-1, buffer.data(), 4), -1);
    EXPECT_EQ(socket_internal_buffer_size(-1), kFallbackBufferSize);
    EXPECT_GT(socket_internal_buffer_size(pair.client->descriptor()), 0);
}

TEST_F(SocketPrimitivesTest, SocketAddressReportsThePeer) {
    std::array<char, 512> text{};
    std::int32_t length = 512;
    ASSERT_EQ(socket_address(pair.server->descriptor(), text.data(), &length), 0);
    EXPECT_EQ(length, 9);
    EXPECT_STREQ(text.data(), "127.0.0.1");
    // Unconnected: a failure that leaves the outputs alone.
    const std::shared_ptr<Socket> unconnected = Socket::create();
    text[0] = '?';
    EXPECT_EQ(socket_address(unconnected->descriptor(), text.data(), &length), -1);
    EXPECT_EQ(length, 9);
    EXPECT_EQ(text[0], '?');
    EXPECT_FALSE(unconnected->address().has_value());
}

TEST(ConnectSocketTest, UnresolvableHostFailsBeforeTouchingTheSocket) {
    const std::shared_ptr<Socket> socket = Socket::create();
    EXPECT_EQ(connect_socket(socket->descriptor(), "", 80), -1);
    std::array<char, 512> text{};
    std::int32_t length = 0;
    EXPECT_EQ(socket_address(socket->descriptor(), text.data(), &length), -1) << "not connected";
}

TEST(ConnectSocketTest, ConnectsToADottedAddressAndToLocalhost) {
    const test::Listener listener = test::makeListener();
    for (const char* host : {"127.0.0.1", "localhost"}) {
        const std::shared_ptr<Socket> socket = Socket::create();
        EXPECT_EQ(
            connect_socket(socket->descriptor(), host, static_cast<std::uint16_t>(listener.port)),
            0)
            << host;
        EXPECT_NE(test::acceptOne(listener), nullptr);
    }
}

TEST(BindSocketTest, UsesTheLowSixteenBitsOfThePort) {
    int port = 0;
    {
        const test::Listener probe = test::makeListener();
        port = probe.port;
    }
    const std::shared_ptr<Socket> socket = Socket::create();
    ASSERT_EQ(bind_socket(socket->descriptor(), 65536 + port), 0);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    ::getsockname(socket->descriptor(), reinterpret_cast<sockaddr*>(&bound), &length);
    EXPECT_EQ(ntohs(bound.sin_port), port);
}

}  // namespace
}  // namespace tarvendo
