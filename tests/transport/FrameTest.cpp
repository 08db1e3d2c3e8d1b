#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <thread>

#include "Frame.h"
#include "Loopback.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

// Data segments the socket has sent so far.
std::uint32_t dataSegmentsSent(const Socket& socket) {
    tcp_info info{};
    socklen_t length = sizeof info;
    ::getsockopt(socket.descriptor(), IPPROTO_TCP, TCP_INFO, &info, &length);
    return info.tcpi_data_segs_out;
}

// Bytes written but still held back by the system.
int unsentBytes(const Socket& socket) {
    int count = -1;
    ::ioctl(socket.descriptor(), SIOCOUTQNSD, &count);
    return count;
}

class FrameTest : public ::testing::Test {
protected:
    test::LoopbackPair pair = test::makeLoopbackPair();

    std::string readAllRaw(std::int32_t count) {
        const std::optional<ByteBuffer> read = pair.server->readData(count);
        return read ? std::string(read->text()) : std::string("<absent>");
    }
};

TEST_F(FrameTest, WritesTheLengthThenThePayload) {
    ASSERT_TRUE(writeFrame(*pair.client, ByteBuffer::fromText("{}x")));
    EXPECT_EQ(readAllRaw(7), std::string("\x03\x00\x00\x00"
                                         "{}x",
                                         7));
}

TEST_F(FrameTest, EachFrameLeavesInOneSegmentAndNothingIsHeldBack) {
    const std::uint32_t before = dataSegmentsSent(*pair.client);
    for (const char* payload : {"first", "", "third"}) {
        ASSERT_TRUE(writeFrame(*pair.client, ByteBuffer::fromText(payload)));
        EXPECT_EQ(unsentBytes(*pair.client), 0) << "after \"" << payload << "\"";
    }
    EXPECT_EQ(dataSegmentsSent(*pair.client) - before, 3u);
    EXPECT_EQ(readFrame(*pair.server)->text(), "first");
    EXPECT_TRUE(readFrame(*pair.server)->empty());
    EXPECT_EQ(readFrame(*pair.server)->text(), "third");
}

TEST_F(FrameTest, ReadsConsecutiveFrames) {
    writeFrame(*pair.client, ByteBuffer::fromText("first"));
    writeFrame(*pair.client, ByteBuffer::fromText("second"));
    EXPECT_EQ(readFrame(*pair.server)->text(), "first");
    EXPECT_EQ(readFrame(*pair.server)->text(), "second");
}

TEST_F(FrameTest, ZeroAndNegativeLengthsGiveEmptyPayloads) {
    test::writeRaw(*pair.client, std::string("\x00\x00\x00\x00", 4));
    test::writeRaw(*pair.client, std::string("\xFF\xFF\xFF\xFF", 4));
    writeFrame(*pair.client, ByteBuffer::fromText("next"));
    for (int i = 0; i < 2; ++i) {
        const std::optional<ByteBuffer> payload = readFrame(*pair.server);
        ASSERT_TRUE(payload.has_value());
        EXPECT_TRUE(payload->empty());
    }
    EXPECT_EQ(readFrame(*pair.server)->text(), "next") << "the stream stays in step";
}

TEST_F(FrameTest, OversizedLengthIsRefusedBeforeAnyBodyIsAwaited) {
    test::writeRaw(*pair.client, std::string("\x01\x00\x10\x00", 4));  // 1 MiB + 1
    FrameStatus status = FrameStatus::ok;
    EXPECT_FALSE(readFrame(*pair.server, {}, &status).has_value());
    EXPECT_EQ(status, FrameStatus::tooLong);
}

TEST_F(FrameTest, TheLimitIsInclusive) {
    writeFrame(*pair.client, ByteBuffer::fromText("12345"));
    EXPECT_EQ(readFrame(*pair.server, FrameLimits{5, 0ms})->text(), "12345");
}

TEST_F(FrameTest, PeerClosingInsideTheLengthGivesNoFrame) {
    test::writeRaw(*pair.client, std::string("\x05\x00", 2));
    pair.client->close();
    FrameStatus status = FrameStatus::ok;
    EXPECT_FALSE(readFrame(*pair.server, {}, &status).has_value());
    EXPECT_EQ(status, FrameStatus::closed);
}

TEST_F(FrameTest, PeerClosingInsideThePayloadGivesTheShortPayload) {
    test::writeRaw(*pair.client, std::string("\x0A\x00\x00\x00"
                                             "abc",
                                             7));
    pair.client->close();
    const std::optional<ByteBuffer> payload = readFrame(*pair.server);
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(payload->text(), "abc");
}

TEST_F(FrameTest, ClosedConnectionGivesNoFrame) {
    pair.client->close();
    EXPECT_FALSE(readFrame(*pair.server).has_value());
}

TEST_F(FrameTest, FrameThatStallsAfterItStartedIsDropped) {
    test::writeRaw(*pair.client, std::string("\x09\x00\x00\x00"
                                             "par",
                                             7));
    FrameStatus status = FrameStatus::ok;
    EXPECT_FALSE(readFrame(*pair.server, FrameLimits{kMaxFrameLength, 100ms}, &status));
    EXPECT_EQ(status, FrameStatus::timedOut);
}

TEST_F(FrameTest, WaitingForAFrameToStartIsNotLimited) {
    std::thread late([&] {
        std::this_thread::sleep_for(300ms);
        writeFrame(*pair.client, ByteBuffer::fromText("late"));
    });
    const std::optional<ByteBuffer> payload = readFrame(*pair.server, FrameLimits{1024, 100ms});
    late.join();
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(payload->text(), "late");
}

TEST_F(FrameTest, WriteOnAClosedSocketFails) {
    pair.client->close();
    EXPECT_FALSE(writeFrame(*pair.client, ByteBuffer::fromText("x")));
}

}  // namespace
}  // namespace tarvendo
