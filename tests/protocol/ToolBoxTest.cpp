#include <gtest/gtest.h>

#include "ToolBox.h"

namespace tarvendo {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::optional<Json> parse(std::string_view text) {
    return ToolBox::fromJsonObject(ByteBuffer::fromText(text));
}

TEST(ToolBoxTest, AbsentInAbsentOutSilently) {
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(std::nullopt).has_value());
    EXPECT_FALSE(ToolBox::fromJsonObject(std::nullopt).has_value());
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST(ToolBoxTest, WritesCompactText) {
    EXPECT_EQ(ToolBox::toJsonObject(Json{{"a", 1}})->text(), R"({"a":1})");
    EXPECT_EQ(ToolBox::toJsonObject(Json{{"name", "Éva ∞"}})->text(), R"({"name":"Éva ∞"})");
}

TEST(ToolBoxTest, InvalidUtf8TextIsASerializationError) {
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(Json{{"bad", std::string("\xC3\x28")}}).has_value());
    EXPECT_EQ(GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
}

TEST(ToolBoxTest, ParsingFailuresPrintOneLine) {
    for (const char* text : {"", "{", "not json", "{\"a\":1}garbage"}) {
        CaptureStdout();
        EXPECT_FALSE(parse(text).has_value()) << text;
        const std::string output = GetCapturedStdout();
        EXPECT_EQ(output.rfind("Serialization error: ", 0), 0U) << text;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << text;
    }
}

TEST(ToolBoxTest, TopLevelMustBeAnObjectOrArray) {
    CaptureStdout();
    EXPECT_FALSE(parse("5").has_value());
    EXPECT_FALSE(parse("\"text\"").has_value());
    EXPECT_FALSE(parse("null").has_value());
    GetCapturedStdout();
    const std::optional<Json> array = parse(R"([{"k":"v"}])");
    ASSERT_TRUE(array && array->is_array());
    ASSERT_EQ(array->size(), 1U);
    EXPECT_EQ((*array)[0]["k"], "v");
}

}  // namespace
}  // namespace tarvendo
