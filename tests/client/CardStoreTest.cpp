#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "CardStore.h"
#include "ClientTestSupport.h"

namespace tarvendo::client {
namespace {

using test::waitUntil;

// A short election delay keeps the timeline quick; the rules are the same.
constexpr std::chrono::milliseconds kDelay{300};

class CardStoreTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        // A row like the deck view's: card i covers x from 100 i to 100 i + 100.
        for (std::size_t position = 0; position < store_.cards().size(); ++position) {
            store_.setVisibleRect(position, QRectF(100.0 * double(position), 0, 100, 100));
        }
    }

    void click(std::size_t position) { store_.selectIfNeeded({100.0 * double(position) + 50, 50}); }
    std::size_t electionCount() const { return server_->requests().size(); }
    bool waitForElection() {
        return waitUntil([this] { return electionCount() > 0; });
    }
    std::string electedSymbol() const {
        return dataOf(server_->requests().front())->at("symbol").get<std::string>();
    }
    // Long enough for a timer that should not fire to have fired.
    static void waitPastTheDelay() { QTest::qWait(int(kDelay.count()) * 2); }

    CardStore store_{kDelay};
};

TEST_F(CardStoreTest, DeckHoldsTheTwelveSymbolsAndNothingIsSelectableBeforeItIsShown) {
    QStringList symbols;
    for (const Card& card : store_.cards()) {
        symbols << card.symbol();
    }
    EXPECT_EQ(symbols,
              QStringList({"0", "½", "1", "2", "3", "5", "8", "13", "20", "40", "?", "∞"}));
    CardStore unshown(kDelay);
    unshown.selectIfNeeded(QPointF(50, 50));
    EXPECT_FALSE(unshown.selectedPosition().has_value());
}

TEST_F(CardStoreTest, SelectionStandingForTheDelayIsElectedOnceAndLocksTheDeck) {
    QElapsedTimer elapsed;
    elapsed.start();
    click(5);
    EXPECT_TRUE(store_.cards()[5].isSelected());
    ASSERT_TRUE(waitForElection());
    EXPECT_GE(elapsed.elapsed(), kDelay.count());
    waitPastTheDelay();
    ASSERT_EQ(electionCount(), 1U);
    const Request request = server_->requests().front();
    EXPECT_EQ(request.request, RequestCode::cardElected);
    EXPECT_EQ(request.token, kToken);
    EXPECT_EQ(dataOf(request), (Json{{"player_name", kPlayerName}, {"symbol", "5"}}));
    click(5);
    click(6);
    EXPECT_FALSE(store_.canChange());
    EXPECT_EQ(store_.selectedPosition(), 5U) << "the elected card stays raised";
}

TEST_F(CardStoreTest, SecondClickOnTheSelectedCardUnselectsAndSendsNothing) {
    click(3);
    click(3);
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[3].isSelected());
    waitPastTheDelay();
    EXPECT_EQ(electionCount(), 0U);
}

TEST_F(CardStoreTest, ClickOnAnotherCardWhileOneIsSelectedChangesNothing) {
    click(1);
    click(7);
    EXPECT_FALSE(store_.cards()[7].isSelected());
    ASSERT_TRUE(waitForElection());
    EXPECT_EQ(electedSymbol(), "½");
}

TEST_F(CardStoreTest, RectanglesAreHalfOpen) {
    store_.selectIfNeeded(QPointF(50, 100));  // the bottom edge is outside
    store_.selectIfNeeded(QPointF(1200, 50));
    EXPECT_FALSE(store_.selectedPosition().has_value());
    store_.selectIfNeeded(QPointF(100, 0));  // the left edge is inside
    EXPECT_EQ(store_.selectedPosition(), 1U);
}

TEST_F(CardStoreTest, ResetDuringAPendingElectionCancelsIt) {
    click(8);
    QTest::qWait(int(kDelay.count()) / 2);
    store_.reset();
    store_.timeout();  // without a timer: nothing
    EXPECT_FALSE(store_.selectedPosition().has_value());
    QElapsedTimer elapsed;
    elapsed.start();
    click(9);
    ASSERT_TRUE(waitForElection());
    EXPECT_GE(elapsed.elapsed(), kDelay.count()) << "the old timer must not fire it early";
    waitPastTheDelay();
    ASSERT_EQ(electionCount(), 1U);
    EXPECT_EQ(electedSymbol(), "40");
}

TEST_F(CardStoreTest, ResetAfterAnElectionFreesTheDeck) {
    click(4);
    ASSERT_TRUE(waitForElection());
    store_.reset();
    EXPECT_FALSE(store_.cards()[4].isSelected());
    EXPECT_TRUE(store_.canChange());
    click(6);
    EXPECT_EQ(store_.selectedPosition(), 6U);
}

TEST_F(CardStoreTest, SymbolsTravelAsUtf8) {
    click(11);
    ASSERT_TRUE(waitForElection());
    const std::string text(server_->requests().front().data->text());
    EXPECT_NE(text.find("\"symbol\":\"\xE2\x88\x9E\""), std::string::npos) << text;
}

TEST_F(CardStoreTest, RefusedElectionPrintsTheAnswerAndStaysLocked) {
    server_->answerNext(AnswerMessage::invalidToken, 3);
    testing::internal::CaptureStdout();
    click(2);
    const bool locked = waitUntil([this] { return !store_.canChange(); });
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(locked);
    EXPECT_EQ(output.rfind("Error in card election: ", 0), 0U) << output;
    EXPECT_NE(output.find("invalidToken"), std::string::npos) << output;
}

TEST_F(CardStoreTest, OkWithANonZeroCodeCountsAsAccepted) {
    server_->answerNext(AnswerMessage::OK, 42);
    testing::internal::CaptureStdout();
    click(2);
    const bool locked = waitUntil([this] { return !store_.canChange(); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(locked);
}

TEST_F(CardStoreTest, NoAnswerLeavesTheDeckLocked) {
    server_->goAway();
    testing::internal::CaptureStdout();
    click(2);
    const bool locked = waitUntil([this] { return !store_.canChange(); });
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(locked);
}

}  // namespace
}  // namespace tarvendo::client
