#include <gtest/gtest.h>

#include "ByteBuffer.h"

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

}  // namespace
}  // namespace tarvendo
