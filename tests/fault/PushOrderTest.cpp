#include <gtest/gtest.h>

#include <vector>

#include "bot/PushTally.h"

namespace tarvendo::bot {
namespace {

using Code = RequestCode;

// The order check the soak relies on: pushes of a deal out of their order
// are counted, whatever order a well-run deal may take is not.
std::uint64_t outOfOrder(const std::vector<Code>& pushes) {
    PushTally tally;
    for (const Code push : pushes) {
        tally.received(push);
    }
    return tally.totals().outOfOrder;
}

TEST(PushOrderTest, DealsInTheirOrderPass) {
    EXPECT_EQ(outOfOrder({Code::playerAdded, Code::initNewDeal, Code::play, Code::cardElected,
                          Code::cardElected, Code::openCards, Code::cardElected, Code::initNewDeal,
                          Code::initNewDeal, Code::play, Code::openCards}),
              0U)
        << "a late vote, and a deal started over before its play";
    EXPECT_EQ(outOfOrder({Code::cardElected, Code::openCards, Code::initNewDeal}), 0U)
        << "joined during a deal";
}

TEST(PushOrderTest, StepsOutOfTheirOrderAreCounted) {
    EXPECT_EQ(outOfOrder({Code::initNewDeal, Code::openCards, Code::play}), 2U);
    EXPECT_EQ(outOfOrder({Code::initNewDeal, Code::cardElected, Code::play}), 1U);
    EXPECT_EQ(outOfOrder({Code::initNewDeal, Code::play, Code::openCards, Code::openCards}), 1U);
    EXPECT_EQ(outOfOrder({Code::initNewDeal, Code::play, Code::openCards, Code::play}), 1U);
}

}  // namespace
}  // namespace tarvendo::bot
