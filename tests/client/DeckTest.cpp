#include <gtest/gtest.h>

#include <QTest>

#include "ClientTestSupport.h"
#include "client/table/CardStore.h"
#include "client/table/Deck.h"

namespace tarvendo::client {
namespace {

using test::waitUntil;

void expectRect(const QRectF& actual, const QRectF& expected) {
    constexpr double kTolerance = 0.001;
    EXPECT_NEAR(actual.x(), expected.x(), kTolerance);
    EXPECT_NEAR(actual.y(), expected.y(), kTolerance);
    EXPECT_NEAR(actual.width(), expected.width(), kTolerance);
    EXPECT_NEAR(actual.height(), expected.height(), kTolerance);
}

class DeckTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        deck_.resize(1020, 300);
        deck_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&deck_));
    }

    // The row is laid out when it is drawn.
    void playAndDraw() {
        test::postFromConnectionThread(Event::play);
        ASSERT_TRUE(waitUntil([this] { return deck_.canDrawCards(); }));
        drawn();
    }
    void click(QPointF point) { QTest::mouseClick(&deck_, Qt::LeftButton, {}, point.toPoint()); }
    QImage drawn() { return deck_.grab().toImage(); }
    QRectF visibleRectOf(std::size_t position) const {
        return store_.cards()[position].visibleRect().value_or(QRectF());
    }
    int pixelsIn(const QRectF& area, bool (*is)(QColor)) {
        return test::countPixels(drawn(), area.toRect(), is);
    }
    int symbolPixels() { return pixelsIn(deck_.rect(), test::isBlack); }

    CardStore store_{std::chrono::milliseconds(60'000)};
    Deck deck_{store_};
};

// A narrow view shrinks the cards; a wide one keeps their natural size and
// centres the row.
TEST_F(DeckTest, PlayShowsTheRowWhereTheLayoutPutsIt) {
    EXPECT_EQ(symbolPixels(), 0) << "before play only the background shows";
    playAndDraw();
    EXPECT_GT(symbolPixels(), 1000);
    expectRect(visibleRectOf(0), {85, 87.708, 70.833, 108.333});
    expectRect(visibleRectOf(11), {864.167, 87.708, 70.833, 108.333});
    deck_.resize(3000, 400);
    drawn();
    expectRect(visibleRectOf(11), {2350, 50.5, 170, 260});
    click(visibleRectOf(4).center());
    drawn();
    expectRect(visibleRectOf(4), {1160, 11.5, 170, 260});
}

TEST_F(DeckTest, ClickOnACardRaisesItInRed) {
    playAndDraw();
    const QRectF resting = visibleRectOf(5);
    click(resting.center());
    ASSERT_EQ(store_.selectedPosition(), 5U);
    drawn();
    const QRectF raised = visibleRectOf(5);
    EXPECT_NEAR(resting.y() - raised.y(), 0.15 * 108.333, 0.001);
    EXPECT_GT(pixelsIn(raised, test::isRed), 100) << "the symbol 5 and the border in red";
    EXPECT_EQ(pixelsIn(visibleRectOf(4), test::isRed), 0);
}

TEST_F(DeckTest, ClickPicksTheCardOnTopAndNothingOutsideTheRow) {
    playAndDraw();
    const QRectF card3 = visibleRectOf(3);
    click(QPointF(card3.center().x(), 290));
    click(QPointF(40, 150));
    click(QPointF(1000, 150));
    EXPECT_FALSE(store_.selectedPosition().has_value()) << "below the row and in the margins";
    click(QPointF(card3.right() + 5, card3.center().y()));
    EXPECT_EQ(store_.selectedPosition(), 4U) << "the covered part of 3 belongs to 4";
}

TEST_F(DeckTest, HiddenCardsCannotBePicked) {
    click(QPointF(120, 150));
    EXPECT_FALSE(store_.selectedPosition().has_value()) << "before play";
    playAndDraw();
    const QPointF onCard2 = visibleRectOf(2).center();
    click(onCard2);
    ASSERT_EQ(store_.selectedPosition(), 2U);
    test::postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "Story"));
    ASSERT_TRUE(waitUntil([this] { return !deck_.canDrawCards(); }));
    EXPECT_FALSE(store_.cards()[2].isSelected());
    EXPECT_EQ(symbolPixels(), 0);
    // The cards keep their last rectangles, yet a hidden card cannot be picked.
    click(onCard2);
    EXPECT_FALSE(store_.selectedPosition().has_value());
}

}  // namespace
}  // namespace tarvendo::client
