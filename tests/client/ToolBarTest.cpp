#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ClientTestSupport.h"
#include "client/table/CardStore.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/MainView.h"
#include "client/table/SegmentedControl.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"
#include "session/Shared.h"

namespace tarvendo::client {
namespace {

using test::postFromConnectionThread;
using test::waitUntil;

using Segments = std::vector<bool>;
const Segments kOnlyInit{true, false, false};

// The main view, its toolbar against a substitute game server.
class MainViewTest : public test::GameServerTest {
protected:
    void SetUp() override {
        GameServerTest::SetUp();
        view_.resize(1000, 700);
        view_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    }
    void logIn(bool isAdmin) {
        postFromConnectionThread(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", isAdmin));
        ASSERT_TRUE(waitUntil([&] { return view_.toolBar()->isVisible() == isAdmin; }));
    }
    QRect toolBarFrame() const { return view_.toolBar()->geometry(); }
    QRect controlFrame() const { return view_.toolBar()->segmentedControl()->geometry(); }
    QRect workspaceFrame() const { return view_.workspace()->geometry(); }

    CardStore store_{std::chrono::milliseconds(60'000)};
    MainView view_{store_, nullptr};
};

TEST_F(MainViewTest, OnlyTheAdminSeesTheToolBarAboveTheWorkspaceAtAnySize) {
    EXPECT_TRUE(view_.toolBar()->isHidden());
    EXPECT_EQ(workspaceFrame(), QRect(0, 0, 1000, 700));
    logIn(false);
    EXPECT_TRUE(view_.toolBar()->isHidden());
    EXPECT_EQ(workspaceFrame(), QRect(0, 0, 1000, 700));
    logIn(true);
    EXPECT_EQ(toolBarFrame(), QRect(0, 0, 1000, 40));
    EXPECT_EQ(controlFrame(), QRect(377, 3, 246, 34));
    EXPECT_EQ(workspaceFrame(), QRect(0, 40, 1000, 660));
    view_.resize(1400, 900);
    ASSERT_TRUE(waitUntil([&] { return toolBarFrame().width() == 1400; }));
    EXPECT_EQ(toolBarFrame(), QRect(0, 0, 1400, 40));
    EXPECT_EQ(controlFrame(), QRect(577, 3, 246, 34));
    EXPECT_EQ(workspaceFrame(), QRect(0, 40, 1400, 860));

    postFromConnectionThread(Event::userIsLoggedIn);
    postFromConnectionThread(Event::userIsLoggedIn, UserInfo().setText("is_admin", "false"));
    test::runQueuedTasks();
    EXPECT_TRUE(view_.toolBar()->isVisible()) << "a login without a boolean admin flag";
}

TEST_F(MainViewTest, WorkspaceStacksTheDesktopAboveTheDeckAt70To30WithALightGreyDivider) {
    const Workspace& workspace = *view_.workspace();
    EXPECT_EQ(workspace.orientation(), Qt::Vertical);
    EXPECT_EQ(workspace.widget(0), workspace.desktop());
    EXPECT_EQ(workspace.widget(1), workspace.deck());
    const int desktopHeight = workspace.desktop()->height();
    const double panes = desktopHeight + workspace.deck()->height();
    EXPECT_EQ(panes + workspace.handleWidth(), 700);
    EXPECT_NEAR(desktopHeight / panes, 0.7, 0.01);
    EXPECT_EQ(workspace.handleWidth(), 1);
    EXPECT_EQ(view_.grab().toImage().pixelColor(500, desktopHeight), QColor(170, 170, 170));
}

// The admin's toolbar with two players at the table.
class ToolBarTest : public MainViewTest {
protected:
    void SetUp() override {
        MainViewTest::SetUp();
        Shared::setAdmin(true);
        ASSERT_NO_FATAL_FAILURE(logIn(true));
        for (const char* name : {kPlayerName, "bob"}) {
            postFromConnectionThread(Event::playerDidAdd, UserInfo().setText("player_name", name));
        }
    }
    ToolBar& toolBar() { return *view_.toolBar(); }

    // Whether Init, Play and Open are enabled.
    Segments segmentStates() {
        const SegmentedControl& control = *toolBar().segmentedControl();
        return {control.isSegmentEnabled(ToolBar::initSegment),
                control.isSegmentEnabled(ToolBar::playSegment),
                control.isSegmentEnabled(ToolBar::openSegment)};
    }
    void press(ToolBar::Segment segment) {
        toolBar().segmentedControl()->segment(segment)->click();
    }
    CardDealTitle* pressInit() {
        press(ToolBar::initSegment);
        return toolBar().dealTitleViewController();
    }
    void startDeal(const QString& title) {
        CardDealTitle* dialog = pressInit();
        ASSERT_NE(dialog, nullptr);
        dialog->gameTitle()->setText(title);
        dialog->acceptButton()->click();
    }
    bool openIsEnabledSoon() {
        return waitUntil([this] { return bool(segmentStates()[ToolBar::openSegment]); });
    }
    void push(Event event, UserInfo info = {}) {
        postFromConnectionThread(event, std::move(info));
        test::runQueuedTasks();
    }
    void elect(const std::string& name, const std::string& symbol) {
        push(Event::cardElected, UserInfo().setText("player_name", name).setText("symbol", symbol));
    }

    test::AlertRecorder alerts_;
};

TEST_F(ToolBarTest, FreshToolBarOffersOnlyInitOfThreeMomentarySegments) {
    const SegmentedControl& control = *toolBar().segmentedControl();
    ASSERT_EQ(control.segmentCount(), 3);
    const QStringList labels{"Init", "Play", "Open"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(control.segment(i)->text(), labels[i]);
        EXPECT_EQ(control.segment(i)->width(), 80);
        EXPECT_FALSE(control.segment(i)->isCheckable()) << "segments are momentary";
    }
    EXPECT_EQ(segmentStates(), kOnlyInit);
}

TEST_F(ToolBarTest, InitOpensOneDialogUnderTheInitSegmentAndCancelReleasesItAtOnce) {
    CardDealTitle* dialog = pressInit();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const QRect anchor = toolBar().initSegmentRect();
    EXPECT_EQ(anchor, QRect(377, 3, 80, 27));
    const QPoint below = toolBar().mapToGlobal(QPoint(anchor.center().x(), anchor.bottom() + 1));
    EXPECT_EQ(dialog->geometry().top(), below.y());
    EXPECT_NEAR(dialog->geometry().center().x(), below.x(), 1);
    EXPECT_EQ(pressInit(), dialog) << "a second Init while the dialog is open does nothing";

    dialog->cancelButton()->click();
    EXPECT_EQ(toolBar().dealTitleViewController(), nullptr);
    CardDealTitle* next = pressInit();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isVisible());
    EXPECT_TRUE(server_->requests().empty());

    ToolBar alone;
    alone.initDidClick();
    EXPECT_EQ(alone.dealTitleViewController(), nullptr) << "without a window Init opens nothing";
}

TEST_F(ToolBarTest, AcceptedTitleStartsTheDealAndInitWaitsHalfASecond) {
    QElapsedTimer elapsed;
    elapsed.start();
    startDeal("Story 12");
    ASSERT_EQ(server_->requests().size(), 1U);
    const Request request = server_->requests()[0];
    EXPECT_EQ(request.request, RequestCode::initNewDeal);
    EXPECT_EQ(request.token, kToken);
    EXPECT_EQ(dataOf(request), (Json{{"title", "Story 12"}}));
    EXPECT_EQ(segmentStates(), (Segments{true, true, false}));

    CardDealTitle* closing = toolBar().dealTitleViewController();
    EXPECT_EQ(pressInit(), closing);
    EXPECT_FALSE(closing->isVisible());
    ASSERT_TRUE(waitUntil([this] { return toolBar().dealTitleViewController() == nullptr; }));
    EXPECT_GE(elapsed.elapsed(), ToolBar::kDialogReleaseDelayMs);
    ASSERT_NE(pressInit(), nullptr);
    EXPECT_TRUE(toolBar().dealTitleViewController()->isVisible());
}

TEST_F(ToolBarTest, RefusalsAreShownAndLeaveTheSegmentsAsTheyWere) {
    server_->answerNext(AnswerMessage::invalidToken);
    startDeal("Story 12");
    EXPECT_EQ(segmentStates(), kOnlyInit);
    ASSERT_TRUE(waitUntil([this] { return toolBar().dealTitleViewController() == nullptr; }));
    startDeal("Story 12");
    server_->answerNext(AnswerMessage::error);
    press(ToolBar::playSegment);
    postFromConnectionThread(Event::cardsReadyToOpen);
    ASSERT_TRUE(openIsEnabledSoon()) << "while Play is still on";
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

// A whole deal: the toolbar's requests, the game server's pushes and the
// desktop's readiness.
TEST_F(ToolBarTest, SegmentsFollowAWholeDeal) {
    EXPECT_EQ(segmentStates(), kOnlyInit);
    startDeal("Checkout");
    EXPECT_EQ(segmentStates(), (Segments{true, true, false}));

    push(Event::initNewDeal, UserInfo().setText("title", "Checkout"));
    push(Event::play);
    press(ToolBar::playSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    EXPECT_TRUE(view_.workspace()->deck()->canDrawCards());

    elect(kPlayerName, "5");
    EXPECT_EQ(segmentStates(), kOnlyInit) << "bob has not chosen yet";
    elect("bob", "8");
    EXPECT_EQ(segmentStates(), (Segments{true, false, true}));

    press(ToolBar::openSegment);
    EXPECT_EQ(segmentStates(), kOnlyInit);
    push(Event::openCards);
    EXPECT_TRUE(view_.workspace()->desktop()->isOpened());

    const std::vector<Request> requests = server_->requests();
    ASSERT_EQ(requests.size(), 3U);
    EXPECT_EQ(requests[1].request, RequestCode::play);
    EXPECT_EQ(requests[2].request, RequestCode::openCards);
    EXPECT_EQ(requests[2].token, kToken);
    EXPECT_FALSE(requests[2].data.has_value());
    EXPECT_TRUE(alerts_.alerts().empty());
}

}  // namespace
}  // namespace tarvendo::client
