#include <gtest/gtest.h>

#include <set>

#include "EventLog.h"
#include "Text.h"
#include "TokenSource.h"

namespace tarvendo::server {
namespace {

TEST(TextTest, TrimmingRemovesBlanksAndLineBreaksAtBothEndsOnly) {
    EXPECT_EQ(trimmed(" \t\r\n Ann  Lee \n"), "Ann  Lee");
    EXPECT_EQ(trimmed(" \n\t "), "");
}

TEST(TextTest, CharactersAreCountedNotBytes) {
    EXPECT_EQ(characterCount("½∞é"), 3U);
    EXPECT_EQ(characterCount(""), 0U);
}

TEST(EventLogTest, LineHasUtcTimeEventQuotedPlayerAndDetail) {
    const auto time =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1'765'037'642'123));
    EXPECT_EQ(formatEventLine(time, "loginPlayer", "Ann", "OK"),
              "2025-12-06T16:14:02.123Z loginPlayer \"Ann\" OK");
    EXPECT_EQ(formatEventLine(time, "stopping", "", ""), "2025-12-06T16:14:02.123Z stopping");
}

TEST(EventLogTest, NamesCannotBreakTheLine) {
    const std::string line =
        formatEventLine(std::chrono::system_clock::time_point(), "logout", "A\"\nB", "x\ry");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("\"A\\\"\\x0aB\""), std::string::npos) << line;
    EXPECT_NE(line.find("x\\x0dy"), std::string::npos) << line;
}

TEST(TokenTest, TokensAre128BitHexAndDoNotRepeat) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::optional<std::string> token = freshToken();
        ASSERT_TRUE(token);
        EXPECT_EQ(token->size(), 32U);
        EXPECT_EQ(token->find_first_not_of("0123456789abcdef"), std::string::npos);
        seen.insert(*token);
    }
    EXPECT_EQ(seen.size(), 100U);
}

}  // namespace
}  // namespace tarvendo::server
