#include <gtest/gtest.h>

#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>

#include "support/Loopback.h"
#include "transport/ByteBuffer.h"
#include "transport/Frame.h"

namespace tarvendo {
namespace {
ByteBuffer of(std::vector<std::uint8_t> bytes) {
    return ByteBuffer(std::move(bytes));
}

TEST(ByteBufferTest, LittleEndianSignedRoundTrips) {
    for (const std::int32_t value : {0, 1, 513, -1, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(littleEndianBytes(value).asInt32(), value);
    }
    EXPECT_EQ(littleEndianBytes(513).bytes(), (std::vector<std::uint8_t>{1, 2, 0, 0}));
    EXPECT_EQ(of({0x00, 0x00, 0x00, 0x80}).asInt32(), INT32_MIN);
    EXPECT_EQ(of({0x03, 0x00, 0x00, 0x00, 0x7F}).asInt32(), 3) << "only the first four bytes count";
}

TEST(ByteBufferTest, AsInt32OnAPartialPrefixStaysInsideTheBuffer) {
    // Built on the heap with the exact size so a sanitizer sees any over-read.
    EXPECT_EQ(ByteBuffer().asInt32(), 0);
    EXPECT_EQ(of({0x05}).asInt32(), 5);
    EXPECT_EQ(of({0x01, 0x02}).asInt32(), 0x0201);
    EXPECT_EQ(of({0x01, 0x02, 0x03}).asInt32(), 0x030201);
}

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
    // The next frame and how its read ended.
    std::pair<std::optional<ByteBuffer>, FrameStatus> read(const FrameLimits& limits = {}) {
        FrameStatus status = FrameStatus::ok;
        std::optional<ByteBuffer> payload = readFrame(*pair.server, limits, &status);
        return {std::move(payload), status};
    }

    test::LoopbackPair pair = test::makeLoopbackPair();
};

TEST_F(FrameTest, WritesTheLengthThenThePayload) {
    ASSERT_TRUE(writeFrame(*pair.client, ByteBuffer::fromText("{}x")));
    EXPECT_EQ(pair.server->readData(7)->text(), std::string("\x03\x00\x00\x00"
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

TEST_F(FrameTest, ZeroAndNegativeLengthsGiveEmptyPayloads) {
    test::writeRaw(*pair.client, std::string("\x00\x00\x00\x00\xFF\xFF\xFF\xFF", 8));
    writeFrame(*pair.client, ByteBuffer::fromText("next"));
    for (int i = 0; i < 2; ++i) {
        const std::optional<ByteBuffer> payload = readFrame(*pair.server);
        ASSERT_TRUE(payload.has_value());
        EXPECT_TRUE(payload->empty());
    }
    EXPECT_EQ(readFrame(*pair.server)->text(), "next") << "the stream stays in step";
}

TEST_F(FrameTest, OversizedLengthIsRefusedBeforeAnyBodyIsAwaited) {
    writeFrame(*pair.client, ByteBuffer::fromText("12345"));
    EXPECT_EQ(read(FrameLimits{5, 0ms}).first->text(), "12345") << "the limit is inclusive";
    test::writeRaw(*pair.client, std::string("\x01\x00\x10\x00", 4));  // 1 MiB + 1
    const auto [payload, status] = read();
    EXPECT_FALSE(payload.has_value());
    EXPECT_EQ(status, FrameStatus::tooLong);
}

TEST_F(FrameTest, PeerClosingInsideTheLengthGivesNoFrame) {
    test::writeRaw(*pair.client, std::string("\x05\x00", 2));
    pair.client->close();
    const auto [payload, status] = read();
    EXPECT_FALSE(payload.has_value());
    EXPECT_EQ(status, FrameStatus::closed);
}

TEST_F(FrameTest, PeerClosingInsideThePayloadGivesTheShortPayloadThenNoFrame) {
    test::writeRaw(*pair.client, std::string("\x0A\x00\x00\x00"
                                             "abc",
                                             7));
    pair.client->close();
    EXPECT_EQ(readFrame(*pair.server)->text(), "abc");
    const auto [payload, status] = read();
    EXPECT_FALSE(payload.has_value());
    EXPECT_EQ(status, FrameStatus::closed);
    EXPECT_FALSE(writeFrame(*pair.client, ByteBuffer::fromText("x"))) << "closed here";
}

// Waiting for a frame to start is not limited; once it has, the rest must come.
TEST_F(FrameTest, StallLimitAppliesOnlyOnceAFrameHasStarted) {
    const FrameLimits limits{kMaxFrameLength, 100ms};
    std::thread late([&] {
        std::this_thread::sleep_for(300ms);
        writeFrame(*pair.client, ByteBuffer::fromText("late"));
    });
    const std::optional<ByteBuffer> payload = read(limits).first;
    late.join();
    EXPECT_EQ(payload.value_or(ByteBuffer()).text(), "late");
    test::writeRaw(*pair.client, std::string("\x09\x00\x00\x00"
                                             "par",
                                             7));
    const auto [stalled, status] = read(limits);
    EXPECT_FALSE(stalled.has_value());
    EXPECT_EQ(status, FrameStatus::timedOut);
}

}  // namespace
}  // namespace tarvendo
