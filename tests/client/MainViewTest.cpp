#include <gtest/gtest.h>

#include <QTest>

#include "CardStore.h"
#include "ClientTestSupport.h"
#include "Deck.h"
#include "Desktop.h"
#include "MainView.h"
#include "SegmentedControl.h"
#include "ToolBar.h"
#include "Workspace.h"

namespace tarvendo::client {
namespace {

using test::postFromConnectionThread;
using test::waitUntil;

class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override {
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

}  // namespace
}  // namespace tarvendo::client
