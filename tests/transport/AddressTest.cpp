#include <gtest/gtest.h>

#include "transport/Address.h"

namespace tarvendo {
namespace {

TEST(ValidAddressIPTest, AcceptsOnlyFourPartsOfAnOptionalSignAndDigitsUpTo255) {
    for (const char* text : {"192.168.1.10", "0.0.0.0", "255.255.255.255", "010.1.1.1", "+1.2.3.4",
                             "-0.0.0.0", "000000000001.2.3.4"}) {
        EXPECT_TRUE(validAddressIP(text)) << text;
    }
    for (const char* text : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..2.3", "a.b.c.d", "1.2.3.4 ",
                             " 1.2.3.4", "-1.2.3.4", "", "...", "1.2.3.", "+-1.2.3.4", "+.1.2.3",
                             "1.2.3.99999999999999999999", "1,2.3.4", "0x1.2.3.4"}) {
        EXPECT_FALSE(validAddressIP(text)) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace tarvendo
