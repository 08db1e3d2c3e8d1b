#include <gtest/gtest.h>

#include "Event.h"

namespace tarvendo {
namespace {

TEST(EventNames, EveryEventReadsBackFromItsName) {
    for (int i = 0; i <= static_cast<int>(Event::bonjoureServerFound); ++i) {
        const auto event = static_cast<Event>(i);
        EXPECT_EQ(eventFrom(name(event)), event) << name(event);
    }
}

TEST(EventNames, OtherTextsAreNoEvent) {
    EXPECT_EQ(eventFrom("Play"), std::nullopt);
    EXPECT_EQ(eventFrom("play "), std::nullopt);
    EXPECT_EQ(eventFrom(""), std::nullopt);
    EXPECT_EQ(eventFrom("playerAdded"), std::nullopt);
}

}  // namespace
}  // namespace tarvendo
