#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "Loopback.h"
#include "Socket.h"
#include "SocketPrimitives.h"

#include <thread>

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

TEST_F(SocketTest, ReadGivesWhatCameUntilThePeerClosedThenNothing) {
    for (const std::int32_t count : {0, -5}) {
        EXPECT_EQ(pair.server->readData(count), ByteBuffer()) << "empty, not absent";
    }
    test::writeRaw(*pair.client, "sixsix");
    pair.client->close();
    EXPECT_EQ(pair.server->readData(10), ByteBuffer::fromText("sixsix"));
    EXPECT_FALSE(pair.server->readData(4).has_value());
}

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

TEST_F(SocketTest, ReceiveTimeOutIsReportedAsSuch) {
    ASSERT_TRUE(
        pair.server->setTimeouts(std::chrono::milliseconds(50), std::chrono::milliseconds(0)));
    EXPECT_FALSE(pair.server->readData(4).has_value());
    EXPECT_TRUE(pair.server->lastReadTimedOut());
    pair.client->close();
    EXPECT_FALSE(pair.server->readData(4).has_value());
    EXPECT_FALSE(pair.server->lastReadTimedOut()) << "a closed peer is not a time-out";
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

}  // namespace
}  // namespace tarvendo
