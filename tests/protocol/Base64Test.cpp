#include <gtest/gtest.h>

#include <random>

#include "protocol/Base64.h"

namespace tarvendo {
namespace {

TEST(Base64Test, EncodesWithPaddingAndDecodesBack) {
    const std::pair<std::string, std::string> table[] = {
        {"", ""},       {"f", "Zg=="},        {"fo", "Zm8="},      {"foo", "Zm9v"},
        {"{}", "e30="}, {"\xFB\xFF", "+/8="}, {"Éva", "w4l2YQ=="},
    };
    for (const auto& [bytes, encoded] : table) {
        SCOPED_TRACE(encoded);
        EXPECT_EQ(encodeBase64(ByteBuffer::fromText(bytes)), encoded);
        EXPECT_EQ(decodeBase64Bytes(encoded), ByteBuffer::fromText(bytes));
    }
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

TEST(Base64Test, RejectsAnythingNotStrictlyBase64OrNotUtf8ForText) {
    for (const char* text : {"e30", "e30=\n", "e3\n0=", "e30=e30=", "=e30", "e=30", "e30*",
                             "Zg=", "Z===", "====", "e30= ", "Zm9v\r\n", "Zg-_"}) {
        EXPECT_FALSE(decodeBase64Bytes(text).has_value()) << '"' << text << '"';
    }
    EXPECT_TRUE(decodeBase64Bytes("/w==").has_value());
    EXPECT_FALSE(decodeBase64("/w==").has_value()) << "0xFF is not UTF-8";
    EXPECT_EQ(decodeBase64("w4l2YQ=="), "Éva");
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
