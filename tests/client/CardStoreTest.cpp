#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "ClientTestSupport.h"
#include "client/table/CardStore.h"

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

TEST_F(CardStoreTest, SelectionStandingForTheDelayIsElectedOnceInUtf8AndLocksTheDeck) {
    QElapsedTimer elapsed;
    elapsed.start();
    click(11);
    EXPECT_TRUE(store_.cards()[11].isSelected());
    ASSERT_TRUE(waitForElection());
    EXPECT_GE(elapsed.elapsed(), kDelay.count());
    waitPastTheDelay();
    ASSERT_EQ(electionCount(), 1U);
    const Request request = server_->requests().front();
    EXPECT_EQ(request.request, RequestCode::cardElected);
    EXPECT_EQ(request.token, kToken);
    EXPECT_EQ(dataOf(request), (Json{{"player_name", kPlayerName}, {"symbol", "∞"}}));
    const std::string text(request.data->text());
    EXPECT_NE(text.find("\"symbol\":\"\xE2\x88\x9E\""), std::string::npos) << text;
    click(11);
    click(6);
    EXPECT_FALSE(store_.canChange());
    EXPECT_EQ(store_.selectedPosition(), 11U) << "the elected card stays raised";
}

TEST_F(CardStoreTest, OnlyTheSelectedCardTakesClicksAndASecondClickUnselects) {
    click(1);
    click(7);
    EXPECT_FALSE(store_.cards()[7].isSelected());
    EXPECT_EQ(store_.selectedPosition(), 1U);
    click(1);
    EXPECT_FALSE(store_.selectedPosition().has_value());
    EXPECT_FALSE(store_.cards()[1].isSelected());
    waitPastTheDelay();
    EXPECT_EQ(electionCount(), 0U);
}

TEST_F(CardStoreTest, RectanglesAreHalfOpenAndAnUnshownDeckTakesNoClick) {
    store_.selectIfNeeded(QPointF(50, 100));  // the bottom edge is outside
    store_.selectIfNeeded(QPointF(1200, 50));
    EXPECT_FALSE(store_.selectedPosition().has_value());
    store_.selectIfNeeded(QPointF(100, 0));  // the left edge is inside
    EXPECT_EQ(store_.selectedPosition(), 1U);
    CardStore unshown(kDelay);
    unshown.selectIfNeeded(QPointF(50, 50));
    EXPECT_FALSE(unshown.selectedPosition().has_value());
}

TEST_F(CardStoreTest, ResetCancelsAPendingElectionAndFreesAnElectedDeck) {
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

    store_.reset();
    EXPECT_FALSE(store_.cards()[9].isSelected());
    EXPECT_TRUE(store_.canChange());
    click(6);
    EXPECT_EQ(store_.selectedPosition(), 6U);
}

// Whatever the answer, or none, the deck stays locked; only a refusal is
// printed (OK with a non-zero code is accepted).
TEST_F(CardStoreTest, EveryAnswerOrNoneLeavesTheDeckLockedAndARefusalIsPrinted) {
    using Printed = std::function<bool(const std::string&)>;
    const std::vector<std::pair<std::function<void()>, Printed>> cases{
        {[this] { server_->answerNext(AnswerMessage::OK, 42); },
         [](const std::string& out) {
             return out.empty();
         }},
        {[this] { server_->answerNext(AnswerMessage::invalidToken, 3); },
         [](const std::string& out) {
             return out.rfind("Error in card election: ", 0) == 0 &&
                    out.find("invalidToken") != std::string::npos;
         }},
        {[this] { server_->goAway(); },
         [](const std::string&) {
             return true;
         }},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        store_.reset();
        cases[i].first();
        testing::internal::CaptureStdout();
        click(2);
        const bool locked = waitUntil([this] { return !store_.canChange(); });
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(locked);
        EXPECT_TRUE(cases[i].second(output)) << output;
    }
}

}  // namespace
}  // namespace tarvendo::client
