#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "CardStore.h"
#include "ClientTestSupport.h"

namespace tarvendo::client {
namespace {

using namespace std::chrono_literals;
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

    static QPointF pointOn(std::size_t position) { return {100.0 * double(position) + 50, 50}; }
    void click(std::size_t position) { store_.selectIfNeeded(pointOn(position)); }

    std::size_t electionCount() const { return server_->requests().size(); }
    bool waitForElection() {
        return waitUntil([this] { return electionCount() > 0; });
    }
    // Long enough for a timer that should not fire to have fired.
    static void waitPastTheDelay() { QTest::qWait(int(kDelay.count()) * 2); }

    CardStore store_{kDelay};
};

TEST_F(CardStoreTest, DeckHoldsTheTwelveSymbolsInOrder) {
    const QStringList expected{"0", "½", "1", "2", "3", "5", "8", "13", "20", "40", "?", "∞"};
    QStringList symbols;
    for (const Card& card : store_.cards()) {
        symbols << card.symbol();
        EXPECT_EQ(card.status(), CardStatus::none);
    }
    EXPECT_EQ(symbols, expected);
}

TEST_F(CardStoreTest, CardsWithoutVisibleRectCannotBeSelected) {
    CardStore fresh(kDelay);
    fresh.selectIfNeeded(QPointF(50, 50));
    EXPECT_FALSE(fresh.selectedPosition().has_value());
}

TEST_F(CardStoreTest, SelectionStandingForTheDelayIsElectedOnce) {
    click(5);
    EXPECT_EQ(store_.selectedPosition(), 5U);
    EXPECT_TRUE(store_.cards()[5].isSelected());
    ASSERT_TRUE(waitForElection());
    waitPastTheDelay();
    ASSERT_EQ(electionCount(), 1U);
    const Request request = server_->requests().front();
    EXPECT_EQ(request.request, RequestCode::cardElected);
    EXPECT_EQ(request.token, kToken);
    EXPECT_EQ(dataOf(request), (Json{{"player_name", kPlayerName}, {"symbol", "5"}}));
    EXPECT_FALSE(store_.canChange());
    EXPECT_TRUE(store_.cards()[5].isSelected()) << "the elected card stays raised";
}

TEST_F(CardStoreTest, ElectionIsNotSentBeforeTheDelay) {
    QElapsedTimer elapsed;
    elapsed.start();
    click(2);
    ASSERT_TRUE(waitForElection());
    EXPECT_GE(elapsed.elapsed(), kDelay.count());
}

TEST_F(CardStoreTest, SecondClickOnTheSelectedCardUnselectsAndSendsNothing) {
    click(3);
    click(3);
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[3].isSelected());
    waitPastTheDelay();
    EXPECT_EQ(electionCount(), 0U);
    EXPECT_TRUE(store_.canChange());
}

TEST_F(CardStoreTest, ClickOnAnotherCardWhileOneIsSelectedChangesNothing) {
    click(1);
    click(7);
    EXPECT_EQ(store_.selectedPosition(), 1U);
    EXPECT_FALSE(store_.cards()[7].isSelected());
    ASSERT_TRUE(waitForElection());
    EXPECT_EQ(dataOf(server_->requests().front())->at("symbol"), "½");
}

TEST_F(CardStoreTest, ClickOutsideEveryCardChangesNothing) {
    store_.selectIfNeeded(QPointF(50, 100));  // the bottom edge is outside
    store_.selectIfNeeded(QPointF(1200, 50));
    EXPECT_FALSE(store_.selectedPosition().has_value());
}

TEST_F(CardStoreTest, EdgeBetweenTwoCardsBelongsToTheRightOne) {
    store_.selectIfNeeded(QPointF(100, 0));
    EXPECT_EQ(store_.selectedPosition(), 1U);
}

TEST_F(CardStoreTest, ElectedDeckIgnoresClicksUntilReset) {
    click(4);
    ASSERT_TRUE(waitForElection());
    click(4);
    click(6);
    EXPECT_EQ(store_.selectedPosition(), 4U);
    store_.reset();
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[4].isSelected());
    EXPECT_TRUE(store_.canChange());
    click(6);
    EXPECT_EQ(store_.selectedPosition(), 6U);
}

TEST_F(CardStoreTest, ResetDuringAPendingElectionCancelsIt) {
    click(8);
    store_.reset();
    EXPECT_FALSE(store_.selectedPosition().has_value());
    waitPastTheDelay();
    EXPECT_EQ(electionCount(), 0U);
}

TEST_F(CardStoreTest, NewSelectionAfterResetWaitsItsFullDelay) {
    click(8);
    QTest::qWait(int(kDelay.count()) / 2);
    store_.reset();
    QElapsedTimer elapsed;
    elapsed.start();
    click(9);
    ASSERT_TRUE(waitForElection());
    EXPECT_GE(elapsed.elapsed(), kDelay.count()) << "the old timer must not fire it early";
    waitPastTheDelay();
    ASSERT_EQ(electionCount(), 1U);
    EXPECT_EQ(dataOf(server_->requests().front())->at("symbol"), "40");
}

TEST_F(CardStoreTest, TimeoutWithoutTimerDoesNothing) {
    store_.timeout();
    click(0);
    store_.reset();
    store_.timeout();
    EXPECT_TRUE(store_.canChange());
    EXPECT_EQ(electionCount(), 0U);
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
    const bool elected = waitForElection() && waitUntil([this] { return !store_.canChange(); });
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(elected);
    EXPECT_EQ(output.rfind("Error in card election: ", 0), 0U) << output;
    EXPECT_NE(output.find("invalidToken"), std::string::npos) << output;
    click(2);
    EXPECT_FALSE(store_.canChange());
}

TEST_F(CardStoreTest, OkWithANonZeroCodeCountsAsAccepted) {
    server_->answerNext(AnswerMessage::OK, 42);
    testing::internal::CaptureStdout();
    click(2);
    const bool elected = waitForElection();
    test::runQueuedTasks();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(elected);
}

TEST_F(CardStoreTest, NoAnswerLeavesTheDeckLockedAndSilent) {
    server_->goAway();
    testing::internal::CaptureStdout();
    click(2);
    const bool locked = waitUntil([this] { return !store_.canChange(); });
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(locked);
}

}  // namespace
}  // namespace tarvendo::client
