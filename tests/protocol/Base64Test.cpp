#include <gtest/gtest.h>

#include <random>

#include "Base64.h"

namespace tarvendo {
namespace {

TEST(Base64Test, EncodesWithPadding) {
    EXPECT_EQ(encodeBase64(ByteBuffer::fromText("")), "");
    EXPECT_EQ(encodeBase64(ByteBuffer::fromText("f")), "Zg==");
    EXPECT_EQ(encodeBase64(ByteBuffer::fromText("fo")), "Zm8=");
    EXPECT_EQ(encodeBase64(ByteBuffer::fromText("foo")), "Zm9v");
    EXPECT_EQ(encodeBase64(ByteBuffer::fromText("{}")), "e30=");
    EXPECT_EQ(encodeBase64(ByteBuffer(std::vector<std::uint8_t>{0xFB, 0xFF})), "+/8=");
}

TEST(Base64Test, DecodesText) {
    EXPECT_EQ(decodeBase64("e30="), "{}");
    EXPECT_EQ(decodeBase64(""), "");
    EXPECT_EQ(decodeBase64("w4l2YQ=="), "Éva");
}

TEST(Base64Test, RejectsAnythingNotStrictlyBase64) {
    for (const char* text : {"e30", "e30=\n", "e3\n0=", "e30=e30=", "=e30", "e=30", "e30*",
                             "Zg=", "Z===", "====", "e30= ", "Zm9v\r\n", "Zg-_"}) {
        EXPECT_FALSE(decodeBase64Bytes(text).has_value()) << '"' << text << '"';
    }
}

TEST(Base64Test, DecodedBytesMustBeUtf8ForText) {
    EXPECT_TRUE(decodeBase64Bytes("/w==").has_value());
    EXPECT_FALSE(decodeBase64("/w==").has_value()) << "0xFF is not UTF-8";
}

TEST(Base64Test, RandomBytesRoundTrip) {
    std::mt19937 random(7);
    for (std::size_t size = 0; size < 64; ++size) {
        std::vector<std::uint8_t> bytes(size);
        for (auto& byte : bytes) {
            byte = static_cast<std::uint8_t>(random());
        }
        const ByteBuffer original(bytes);
        EXPECT_EQ(decodeBase64Bytes(encodeBase64(original)), original) << size;
    }
}

TEST(Utf8Test, AcceptsWellFormedAndRejectsMalformedSequences) {
    EXPECT_TRUE(isValidUtf8("plain ½ ∞ 😀"));
    for (const char* bad : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\xF5\x80\x80\x80", "\xE2\x88", "\xC3"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << "sequence " << testing::PrintToString(std::string(bad));
    }
}

}  // namespace
}  // namespace tarvendo
