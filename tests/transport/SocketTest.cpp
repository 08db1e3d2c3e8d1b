#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <array>
#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include "support/Loopback.h"
#include "transport/Socket.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {
namespace {
int optionValue(const Socket& socket, int option) {
    int value = 0;
    socklen_t length = sizeof value;
    ::getsockopt(socket.descriptor(), SOL_SOCKET, option, &value, &length);
    return value;
}

class SocketTest : public ::testing::Test {
protected:
    test::LoopbackPair pair = test::makeLoopbackPair();
};

TEST_F(SocketTest, ReadsMoreThanOneChunk) {
    const std::int32_t chunk = socket_internal_buffer_size(pair.server->descriptor());
    const std::string big(static_cast<std::size_t>(chunk) * 2 + 17, 'q');
    std::thread writer([&] { test::writeRaw(*pair.client, big); });
    const std::optional<ByteBuffer> read =
        pair.server->readData(static_cast<std::int32_t>(big.size()));
    writer.join();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->text(), big);
}

TEST_F(SocketTest, ClosedSocketNeitherReadsNorWrites) {
    pair.client->close();
    EXPECT_EQ(pair.client->descriptor(), -1);
    EXPECT_FALSE(pair.client->readData(4).has_value());
    EXPECT_FALSE(pair.client->writeData(ByteBuffer::fromText("x")));
    pair.client->close();  // closing twice is harmless
}

TEST(SocketCreationTest, BothEndsOfAConnectionSendSmallWritesAtOnce) {
    const test::LoopbackPair pair = test::makeLoopbackPair();
    for (const Socket* end : {pair.client.get(), pair.server.get()}) {
        int value = 0;
        socklen_t length = sizeof value;
        ASSERT_EQ(::getsockopt(end->descriptor(), IPPROTO_TCP, TCP_NODELAY, &value, &length), 0);
        EXPECT_NE(value, 0);
    }
}

TEST(SocketCreationTest, InvalidDescriptorFailsWithNothingOpen) {
    EXPECT_EQ(Socket::create(987654), nullptr);
}

TEST(SocketCreationTest, NewAndReopenedSocketsHaveTheirOptionsSet) {
    const std::shared_ptr<Socket> socket = Socket::create();
    for (const char* when : {"new", "reopened"}) {
        SCOPED_TRACE(when);
        ASSERT_GE(socket->descriptor(), 0);
        EXPECT_EQ(optionValue(*socket, SO_REUSEADDR), 1);
        EXPECT_EQ(optionValue(*socket, SO_KEEPALIVE), 1);
        socket->close();
        ASSERT_TRUE(socket->reopen());
    }
}

TEST(SocketCreationTest, DestroyingASocketReleasesItsDescriptor) {
    int descriptor = -1;
    {
        const std::shared_ptr<Socket> socket = Socket::create();
        descriptor = socket->descriptor();
    }
    int value = 0;
    socklen_t length = sizeof value;
    EXPECT_EQ(::getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &value, &length), -1)
        << "a long-running process must not leak descriptors";
}

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

// Connects without blocking until a handshake stalls: the listener's accept
// queue is then full and drops further handshakes until it is drained.
std::vector<std::shared_ptr<Socket>> fillAcceptQueue(std::int32_t port) {
    std::vector<std::shared_ptr<Socket>> fillers;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    for (int i = 0; i < 16; ++i) {
        fillers.push_back(Socket::create());
        const int descriptor = fillers.back()->descriptor();
        ::fcntl(descriptor, F_SETFL, O_NONBLOCK);
        ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd watched{descriptor, POLLOUT, 0};
        if (::poll(&watched, 1, 100) == 0) {
            return fillers;
        }
    }
    return {};
}

TEST(ConnectSocketTest, SignalsDuringAStalledHandshakeDoNotFailIt) {
    InterruptingSignal handler;
    const test::Listener listener = test::makeListener();
    ASSERT_EQ(socket_listen(listener.socket->descriptor(), 0), 0);
    ASSERT_FALSE(fillAcceptQueue(listener.port).empty()) << "the accept queue never filled";

    const std::shared_ptr<Socket> socket = Socket::create();
    std::atomic<bool> done{false};
    std::int32_t result = -2;
    std::thread connector([&] {
        result = connect_socket(socket->descriptor(), "127.0.0.1",
                                static_cast<std::uint16_t>(listener.port));
        done = true;
    });
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pthread_kill(connector.native_handle(), SIGUSR1);
    }
    // Room in the queue: the handshake's next retry gets through.
    for (int i = 0; i < 100 && !done; ++i) {
        test::acceptOne(listener, 100);
    }
    connector.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(socket->address(), "127.0.0.1");
}

}  // namespace
}  // namespace tarvendo
