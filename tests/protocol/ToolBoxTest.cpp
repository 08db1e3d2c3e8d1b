#include <gtest/gtest.h>

#include "ToolBox.h"

namespace tarvendo {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::optional<Json> parse(std::string_view text) {
    return ToolBox::fromJsonObject(ByteBuffer::fromText(text));
}

TEST(ToolBoxTest, WritesCompactUtf8TextAndRefusesInvalidUtf8WithOneLine) {
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(std::nullopt).has_value());
    EXPECT_FALSE(ToolBox::fromJsonObject(std::nullopt).has_value());
    EXPECT_EQ(GetCapturedStdout(), "") << "absent in, absent out, silently";
    EXPECT_EQ(ToolBox::toJsonObject(Json{{"a", 1}, {"name", "Éva ∞"}})->text(),
              R"({"a":1,"name":"Éva ∞"})");
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(Json{{"bad", std::string("\xC3\x28")}}).has_value());
    EXPECT_EQ(GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
}

TEST(ToolBoxTest, ReadsOnlyAnObjectOrArrayAndPrintsOneLinePerFailure) {
    for (const char* text : {"", "{", "not json", "{\"a\":1}garbage", "5", "\"text\"", "null"}) {
        CaptureStdout();
        EXPECT_FALSE(parse(text).has_value()) << text;
        const std::string output = GetCapturedStdout();
        EXPECT_EQ(output.rfind("Serialization error: ", 0), 0U) << text;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << text;
    }
    const std::optional<Json> array = parse(R"([{"k":"v"}])");
    ASSERT_TRUE(array && array->is_array());
    EXPECT_EQ(*array, Json::array({Json{{"k", "v"}}}));
}

}  // namespace
}  // namespace tarvendo
