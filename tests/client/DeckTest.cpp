#include <gtest/gtest.h>

#include <QTest>

#include "CardStore.h"
#include "ClientTestSupport.h"
#include "Deck.h"
#include "DeckLayout.h"

namespace tarvendo::client {
namespace {

using test::countPixels;
using test::postFromConnectionThread;
using test::waitUntil;

constexpr double kTolerance = 0.001;

void expectRect(const QRectF& actual, double x, double y, double width, double height) {
    EXPECT_NEAR(actual.x(), x, kTolerance);
    EXPECT_NEAR(actual.y(), y, kTolerance);
    EXPECT_NEAR(actual.width(), width, kTolerance);
    EXPECT_NEAR(actual.height(), height, kTolerance);
}

TEST(DeckLayoutTest, NarrowViewShrinksTheCards) {
    const DeckLayout layout = DeckLayout::forBounds(QRectF(0, 0, 1020, 300), 12);
    EXPECT_NEAR(layout.factor, 0.41667, 1e-5);
    EXPECT_NEAR(layout.cardWidth, 83.333, kTolerance);
    EXPECT_NEAR(layout.cardHeight, 108.333, kTolerance);
    EXPECT_NEAR(layout.step, 70.833, kTolerance);
    EXPECT_NEAR(layout.restingTop, 87.708, kTolerance);
    expectRect(layout.cardRect(0, false), 85, 87.708, 83.333, 108.333);
    expectRect(layout.cardRect(11, false), 864.167, 87.708, 83.333, 108.333);
    expectRect(layout.cardRect(1, true), 85 + 70.833, 71.458, 83.333, 108.333);
    expectRect(layout.visibleRect(1, true), 85 + 70.833, 71.458, 70.833, 108.333);
}

TEST(DeckLayoutTest, WideViewKeepsTheNaturalSizeAndCentresTheRow) {
    const DeckLayout layout = DeckLayout::forBounds(QRectF(0, 0, 3000, 400), 12);
    EXPECT_EQ(layout.factor, 1);
    expectRect(layout.cardRect(0, false), 480, 50.5, 200, 260);
    expectRect(layout.cardRect(11, false), 2350, 50.5, 200, 260);
    expectRect(layout.cardRect(4, true), 480 + 4 * 170, 11.5, 200, 260);
}

TEST(DeckLayoutTest, TheTwelveStepsFill85PercentOfANarrowRow) {
    const DeckLayout layout = DeckLayout::forBounds(QRectF(0, 0, 620, 200), 12);
    EXPECT_NEAR(12 * layout.step, 0.85 * 600, kTolerance);
    EXPECT_NEAR(layout.firstLeft, 10 + 0.15 * 600 / 2, kTolerance);
}

class DeckTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        deck_.resize(1020, 300);
        deck_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&deck_));
    }

    void play() {
        postFromConnectionThread(Event::play);
        ASSERT_TRUE(waitUntil([this] { return deck_.canDrawCards(); }));
    }
    // The row is laid out when it is drawn.
    void playAndDraw() {
        play();
        drawn();
    }
    void click(QPointF point) { QTest::mouseClick(&deck_, Qt::LeftButton, {}, point.toPoint()); }
    // Draws the view the way the screen would; drawing lays the cards out.
    QImage drawn() { return deck_.grab().toImage(); }
    QRectF visibleRectOf(std::size_t position) const {
        return store_.cards()[position].visibleRect().value_or(QRectF());
    }
    QPointF centreOf(std::size_t position) const { return visibleRectOf(position).center(); }
    int redPixelsIn(const QRectF& area) { return countPixels(drawn(), area.toRect(), test::isRed); }
    int cardPixels(const QImage& image) { return countPixels(image, image.rect(), test::isBlack); }

    CardStore store_{std::chrono::milliseconds(60'000)};
    Deck deck_{store_};
};

TEST_F(DeckTest, BeforePlayOnlyTheBackgroundShowsAndClicksSelectNothing) {
    EXPECT_EQ(cardPixels(drawn()), 0);
    click(QPointF(120, 150));
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[0].visibleRect().has_value());
}

TEST_F(DeckTest, PlayShowsTheRowWhereTheLayoutPutsIt) {
    play();
    EXPECT_GT(cardPixels(drawn()), 1000);
    expectRect(visibleRectOf(0), 85, 87.708, 70.833, 108.333);
    expectRect(visibleRectOf(11), 864.167, 87.708, 70.833, 108.333);
}

TEST_F(DeckTest, ClickOnACardRaisesItInRed) {
    playAndDraw();
    const QRectF resting = visibleRectOf(5);
    click(centreOf(5));
    ASSERT_EQ(store_.selectedPosition(), 5U);
    drawn();
    const QRectF raised = visibleRectOf(5);
    EXPECT_NEAR(resting.y() - raised.y(), 0.15 * 108.333, kTolerance);
    EXPECT_GT(redPixelsIn(raised), 100) << "the symbol 5 and the border in red";
    EXPECT_EQ(redPixelsIn(visibleRectOf(4)), 0);
}

TEST_F(DeckTest, ClickOnTheCoveredPartOfACardSelectsTheCardOnTop) {
    playAndDraw();
    // The right 15 % of card 3 lies under card 4.
    const QRectF card3 = visibleRectOf(3);
    click(QPointF(card3.right() + 0.1 * 83.333, card3.center().y()));
    EXPECT_EQ(store_.selectedPosition(), 4U);
}

TEST_F(DeckTest, ClicksBelowTheRowOrInTheMarginsSelectNothing) {
    playAndDraw();
    click(QPointF(centreOf(3).x(), 290));
    click(QPointF(40, 150));
    click(QPointF(1000, 150));
    EXPECT_FALSE(store_.selectedPosition().has_value());
}

TEST_F(DeckTest, WideViewShowsNaturalSizeCards) {
    deck_.resize(3000, 400);
    playAndDraw();
    expectRect(visibleRectOf(0), 480, 50.5, 170, 260);
    expectRect(visibleRectOf(11), 2350, 50.5, 170, 260);
}

TEST_F(DeckTest, NewDealClearsTheSelectionAndHidesTheCards) {
    playAndDraw();
    const QPointF onCard2 = centreOf(2);
    click(onCard2);
    ASSERT_EQ(store_.selectedPosition(), 2U);
    postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "Story"));
    ASSERT_TRUE(waitUntil([this] { return !deck_.canDrawCards(); }));
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[2].isSelected());
    EXPECT_EQ(cardPixels(drawn()), 0);
    // The cards keep their last rectangles, yet a hidden card cannot be picked.
    click(onCard2);
    EXPECT_FALSE(store_.selectedPosition().has_value());
}

TEST_F(DeckTest, OnlyTheLeftButtonSelects) {
    playAndDraw();
    QTest::mouseClick(&deck_, Qt::RightButton, {}, centreOf(6).toPoint());
    EXPECT_FALSE(store_.selectedPosition().has_value());
}

TEST_F(DeckTest, DestroyedDeckNoLongerObservesEvents) {
    { Deck other(store_); }
    play();  // would reach the destroyed deck if it still observed
    EXPECT_TRUE(deck_.canDrawCards());
}

}  // namespace
}  // namespace tarvendo::client
