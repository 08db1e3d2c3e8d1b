#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "CardStore.h"
#include "ClientTestSupport.h"
#include "Deck.h"
#include "Desktop.h"
#include "MainView.h"
#include "SegmentedControl.h"
#include "Shared.h"
#include "ToolBar.h"
#include "Workspace.h"

namespace tarvendo::client {
namespace {

using test::postFromConnectionThread;
using test::waitUntil;

// The admin's toolbar, placed in a window, against a substitute game server.
class ToolBarTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        window_.resize(600, 300);
        toolBar_ = new ToolBar(&window_);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    bool isEnabled(ToolBar::Segment segment) const {
        return toolBar_->segmentedControl()->isSegmentEnabled(segment);
    }
    std::vector<bool> segmentStates() const {
        return {isEnabled(ToolBar::initSegment), isEnabled(ToolBar::playSegment),
                isEnabled(ToolBar::openSegment)};
    }
    void press(ToolBar::Segment segment) {
        toolBar_->segmentedControl()->segment(segment)->click();
    }
    CardDealTitle* pressInit() {
        press(ToolBar::initSegment);
        return toolBar_->dealTitleViewController();
    }
    void startDeal(const QString& title) {
        CardDealTitle* dialog = pressInit();
        ASSERT_NE(dialog, nullptr);
        dialog->gameTitle()->setText(title);
        dialog->acceptButton()->click();
    }
    std::vector<RequestCode> requestCodes() const {
        std::vector<RequestCode> codes;
        for (const Request& request : server_->requests()) {
            codes.push_back(request.request);
        }
        return codes;
    }
    bool openIsEnabledSoon() {
        return waitUntil([this] { return isEnabled(ToolBar::openSegment); });
    }

    QWidget window_;
    ToolBar* toolBar_ = nullptr;
    test::AlertRecorder alerts_;
};

using Segments = std::vector<bool>;
const Segments kOnlyInit{true, false, false};

TEST_F(ToolBarTest, FreshToolBarOffersOnlyInit) {
    const SegmentedControl& control = *toolBar_->segmentedControl();
    ASSERT_EQ(control.segmentCount(), 3);
    const QStringList labels{"Init", "Play", "Open"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(control.segment(i)->text(), labels[i]);
        EXPECT_EQ(control.segment(i)->width(), 80);
        EXPECT_FALSE(control.segment(i)->isCheckable()) << "segments are momentary";
    }
    EXPECT_EQ(segmentStates(), kOnlyInit);
}

TEST_F(ToolBarTest, LiesAlongTheTopOfItsParentWithTheControlCentred) {
    EXPECT_EQ(toolBar_->geometry(), QRect(0, 0, 600, 40));
    EXPECT_EQ(toolBar_->segmentedControl()->geometry(), QRect(177, 3, 246, 34));
}

TEST_F(ToolBarTest, WithoutAWindowInitOpensNothing) {
    ToolBar alone;
    alone.initDidClick();
    EXPECT_EQ(alone.dealTitleViewController(), nullptr);
}

TEST_F(ToolBarTest, InitOpensOneDialogUnderTheInitSegment) {
    CardDealTitle* dialog = pressInit();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const QRect anchor = toolBar_->initSegmentRect();
    EXPECT_EQ(anchor, QRect(177, 3, 80, 27));
    const QPoint below = toolBar_->mapToGlobal(QPoint(anchor.center().x(), anchor.bottom() + 1));
    EXPECT_EQ(dialog->geometry().top(), below.y());
    EXPECT_NEAR(dialog->geometry().center().x(), below.x(), 1);
    EXPECT_EQ(pressInit(), dialog) << "a second Init while the dialog is open does nothing";
}

TEST_F(ToolBarTest, AcceptedTitleStartsTheDealAndEnablesPlay) {
    startDeal("Story 12");
    ASSERT_EQ(server_->requests().size(), 1U);
    const Request request = server_->requests()[0];
    EXPECT_EQ(request.request, RequestCode::initNewDeal);
    EXPECT_EQ(request.token, kToken);
    EXPECT_EQ(dataOf(request), (Json{{"title", "Story 12"}}));
    EXPECT_EQ(segmentStates(), (Segments{true, true, false}));
}

TEST_F(ToolBarTest, InitOpensANewDialogOnlyHalfASecondAfterAnAcceptance) {
    QElapsedTimer elapsed;
    elapsed.start();
    startDeal("Story 12");
    CardDealTitle* closing = toolBar_->dealTitleViewController();
    ASSERT_NE(closing, nullptr);
    EXPECT_EQ(pressInit(), closing);
    EXPECT_FALSE(closing->isVisible());
    ASSERT_TRUE(waitUntil([this] { return toolBar_->dealTitleViewController() == nullptr; }));
    EXPECT_GE(elapsed.elapsed(), ToolBar::kDialogReleaseDelayMs);
    CardDealTitle* next = pressInit();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isVisible());
}

TEST_F(ToolBarTest, CancelledDialogIsReleasedAtOnce) {
    pressInit()->cancelButton()->click();
    EXPECT_EQ(toolBar_->dealTitleViewController(), nullptr);
    CardDealTitle* next = pressInit();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isVisible());
    EXPECT_TRUE(server_->requests().empty());
}

TEST_F(ToolBarTest, PlayAndOpenSwitchThemselvesOffOnOk) {
    startDeal("Story 12");
    press(ToolBar::playSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    postFromConnectionThread(Event::cardsReadyToOpen);
    ASSERT_TRUE(openIsEnabledSoon());
    press(ToolBar::openSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    EXPECT_EQ(requestCodes(), (std::vector<RequestCode>{RequestCode::initNewDeal, RequestCode::play,
                                                        RequestCode::openCards}));
    for (const Request& request : server_->requests()) {
        EXPECT_EQ(request.token, kToken);
    }
    EXPECT_FALSE(server_->requests()[1].data.has_value());
    EXPECT_TRUE(alerts_.alerts().empty());
}

TEST_F(ToolBarTest, CardsReadyEnablesOpenWhilePlayIsStillOn) {
    startDeal("Story 12");
    postFromConnectionThread(Event::cardsReadyToOpen);
    ASSERT_TRUE(openIsEnabledSoon());
    EXPECT_EQ(segmentStates(), (Segments{true, true, true}));
}

TEST_F(ToolBarTest, RefusalsAreShownAndLeaveTheSegmentsAsTheyWere) {
    server_->answerNext(AnswerMessage::invalidToken);
    startDeal("Story 12");
    EXPECT_EQ(segmentStates(), kOnlyInit);
    ASSERT_TRUE(waitUntil([this] { return toolBar_->dealTitleViewController() == nullptr; }));
    startDeal("Story 12");
    server_->answerNext(AnswerMessage::error);
    press(ToolBar::playSegment);
    postFromConnectionThread(Event::cardsReadyToOpen);
    ASSERT_TRUE(openIsEnabledSoon());
    server_->answerNext(AnswerMessage::adminNotLoggedIn);
    press(ToolBar::openSegment);
    EXPECT_EQ(segmentStates(), (Segments{true, true, true}));

    ASSERT_EQ(alerts_.alerts().size(), 3U);
    EXPECT_EQ(alerts_.alerts()[0].message, "Error: can't initialize new game");
    EXPECT_EQ(alerts_.alerts()[0].informative, "invalidToken");
    EXPECT_EQ(alerts_.alerts()[1].message, "Error: can't play");
    EXPECT_EQ(alerts_.alerts()[2].message, "Error: can'open cards");
}

TEST_F(ToolBarTest, WithTheGameServerGonePlayAndOpenChangeNothingAndShowNothing) {
    startDeal("Story 12");
    postFromConnectionThread(Event::cardsReadyToOpen);
    ASSERT_TRUE(openIsEnabledSoon());
    server_->goAway();
    testing::internal::CaptureStdout();
    press(ToolBar::playSegment);
    press(ToolBar::openSegment);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(segmentStates(), (Segments{true, true, true}));
    EXPECT_TRUE(alerts_.alerts().empty());
}

// A whole deal as the admin's client lives it: the toolbar's requests, the
// game server's pushes and the desktop's readiness.
class WholeDealTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        Shared::setAdmin(true);
        view_.resize(1000, 700);
        view_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
        postFromConnectionThread(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", true));
        ASSERT_TRUE(waitUntil([this] { return view_.toolBar()->isVisible(); }));
        for (const char* name : {kPlayerName, "bob"}) {
            postFromConnectionThread(Event::playerDidAdd, UserInfo().setText("player_name", name));
        }
    }
    std::vector<bool> segmentStates() const {
        const SegmentedControl& control = *view_.toolBar()->segmentedControl();
        return {control.isSegmentEnabled(0), control.isSegmentEnabled(1),
                control.isSegmentEnabled(2)};
    }
    void press(ToolBar::Segment segment) {
        view_.toolBar()->segmentedControl()->segment(segment)->click();
    }
    void push(Event event, UserInfo info = {}) {
        postFromConnectionThread(event, std::move(info));
        test::runQueuedTasks();
    }
    static UserInfo election(const std::string& name, const std::string& symbol) {
        return UserInfo().setText("player_name", name).setText("symbol", symbol);
    }

    CardStore store_{std::chrono::milliseconds(60'000)};
    MainView view_{store_, nullptr};
    test::AlertRecorder alerts_;
};

TEST_F(WholeDealTest, SegmentsFollowTheDeal) {
    EXPECT_EQ(segmentStates(), kOnlyInit);
    press(ToolBar::initSegment);
    CardDealTitle* dialog = view_.toolBar()->dealTitleViewController();
    ASSERT_NE(dialog, nullptr);
    dialog->gameTitle()->setText("Checkout");
    dialog->acceptButton()->click();
    EXPECT_EQ(segmentStates(), (Segments{true, true, false}));

    push(Event::initNewDeal, UserInfo().setText("title", "Checkout"));
    push(Event::play);
    press(ToolBar::playSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    EXPECT_TRUE(view_.workspace()->deck()->canDrawCards());

    push(Event::cardElected, election(kPlayerName, "5"));
    EXPECT_EQ(segmentStates(), kOnlyInit) << "bob has not chosen yet";
    push(Event::cardElected, election("bob", "8"));
    EXPECT_EQ(segmentStates(), (Segments{true, false, true}));

    press(ToolBar::openSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    push(Event::openCards);
    EXPECT_TRUE(view_.workspace()->desktop()->isOpened());
    EXPECT_TRUE(alerts_.alerts().empty());
}

}  // namespace
}  // namespace tarvendo::client
