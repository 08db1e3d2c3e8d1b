#include <gtest/gtest.h>

#include <set>

#include "server/EventLog.h"
#include "server/TokenSource.h"

namespace tarvendo::server {
namespace {

TEST(EventLogTest, LineHasUtcTimeEventQuotedPlayerAndDetailAndNoBreak) {
    const auto time =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1'765'037'642'123));
    EXPECT_EQ(formatEventLine(time, "loginPlayer", "Ann", "OK"),
              "2025-12-06T16:14:02.123Z loginPlayer \"Ann\" OK");
    EXPECT_EQ(formatEventLine(time, "stopping", "", ""), "2025-12-06T16:14:02.123Z stopping");
    EXPECT_EQ(formatEventLine(time, "logout", "A\"\nB", "x\ry"),
              "2025-12-06T16:14:02.123Z logout \"A\\\"\\x0aB\" x\\x0dy");
}

TEST(TokenTest, TokensAre128BitHexAndDoNotRepeat) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string token = freshToken().value_or("");
        EXPECT_EQ(token.size(), 32U);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 100U);
}

}  // namespace
}  // namespace tarvendo::server
