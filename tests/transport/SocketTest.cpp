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

TEST_F(SocketTest, ReadingNothingGivesAnEmptyBufferNotAbsent) {
    for (const std::int32_t count : {0, -5}) {
        const std::optional<ByteBuffer> read = pair.server->readData(count);
        ASSERT_TRUE(read.has_value());
        EXPECT_TRUE(read->empty());
    }
}

TEST_F(SocketTest, ReadAfterThePeerClosedIsAbsent) {
    pair.client->close();
    EXPECT_FALSE(pair.server->readData(4).has_value());
}

TEST_F(SocketTest, ReadReturnsTheShortTailWhenThePeerClosesPartWay) {
    test::writeRaw(*pair.client, "sixsix");
    pair.client->close();
    const std::optional<ByteBuffer> read = pair.server->readData(10);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->text(), "sixsix");
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

TEST_F(SocketTest, ShortReadsTakeOnlyWhatTheyAskForInTheirOrder) {
    test::writeRaw(*pair.client, "lengthpayload!");
    const std::optional<ByteBuffer> length = pair.server->readData(6);
    const std::optional<ByteBuffer> payload = pair.server->readData(7);
    const std::optional<ByteBuffer> last = pair.server->readData(1);
    ASSERT_TRUE(length && payload && last);
    EXPECT_EQ(length->text(), "length");
    EXPECT_EQ(payload->text(), "payload");
    EXPECT_EQ(last->text(), "!");
}

TEST_F(SocketTest, ClosedSocketNeitherReadsNorWrites) {
    pair.client->close();
    EXPECT_EQ(pair.client->descriptor(), -1);
    EXPECT_FALSE(pair.client->readData(4).has_value());
    EXPECT_FALSE(pair.client->writeData(ByteBuffer::fromText("x")));
    pair.client->close();  // closing twice is harmless
}

TEST_F(SocketTest, WritingAnEmptyBufferSucceeds) {
    EXPECT_TRUE(pair.client->writeData(ByteBuffer()));
}

TEST_F(SocketTest, AddressOfAnAcceptedConnectionIsThePeer) {
    EXPECT_EQ(pair.server->address(), "127.0.0.1");
    const std::shared_ptr<Socket> unconnected = Socket::create();
    EXPECT_FALSE(unconnected->address().has_value());
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

TEST(SocketCreationTest, NewSocketHasItsOptionsSet) {
    const std::shared_ptr<Socket> socket = Socket::create();
    ASSERT_NE(socket, nullptr);
    EXPECT_GE(socket->descriptor(), 0);
    EXPECT_EQ(optionValue(*socket, SO_REUSEADDR), 1);
    EXPECT_EQ(optionValue(*socket, SO_KEEPALIVE), 1);
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

TEST(SocketCreationTest, ReopenGivesAClosedSocketAFreshConfiguredDescriptor) {
    const std::shared_ptr<Socket> socket = Socket::create();
    socket->close();
    ASSERT_TRUE(socket->reopen());
    EXPECT_GE(socket->descriptor(), 0);
    EXPECT_EQ(optionValue(*socket, SO_KEEPALIVE), 1);
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
