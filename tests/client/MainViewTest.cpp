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

TEST_F(MainViewTest, AdminSeesTheToolBarAboveTheWorkspaceAtAnySize) {
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
}

TEST_F(MainViewTest, PlayerSeesOnlyTheWorkspace) {
    logIn(false);
    EXPECT_TRUE(view_.toolBar()->isHidden());
    EXPECT_EQ(workspaceFrame(), QRect(0, 0, 1000, 700));
}

TEST_F(MainViewTest, LoginWithoutABooleanAdminFlagChangesNothing) {
    logIn(true);
    postFromConnectionThread(Event::userIsLoggedIn);
    postFromConnectionThread(Event::userIsLoggedIn, UserInfo().setText("is_admin", "false"));
    test::runQueuedTasks();
    EXPECT_TRUE(view_.toolBar()->isVisible());
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

// A whole open table; saved as a PNG when TARVENDO_SNAPSHOT_DIR names a
// folder, for a look by eye.
TEST_F(MainViewTest, OpenTableShowsNamesCardsAndTheRaisedSelection) {
    logIn(true);
    for (const char* name : {"Alice", "bob", "Carol", "Dmitri", "Émile"}) {
        postFromConnectionThread(Event::playerDidAdd, UserInfo().setText("player_name", name));
    }
    postFromConnectionThread(Event::play);
    Deck& deck = *view_.workspace()->deck();
    ASSERT_TRUE(waitUntil([&] { return deck.canDrawCards(); }));
    for (const auto& [name, symbol] :
         {std::pair{"Alice", "5"}, {"bob", "8"}, {"Carol", "13"}, {"Dmitri", "½"}}) {
        postFromConnectionThread(Event::cardElected,
                                 UserInfo().setText("player_name", name).setText("symbol", symbol));
    }
    postFromConnectionThread(Event::openCards);
    test::runQueuedTasks();
    deck.grab();  // lays the row out
    const QRectF card5 = store_.cards()[5].visibleRect().value_or(QRectF());
    QTest::mouseClick(&deck, Qt::LeftButton, {}, card5.center().toPoint());
    ASSERT_EQ(store_.selectedPosition(), 5U);

    const QImage image = view_.grab().toImage();
    const QRect deckArea(deck.mapTo(&view_, QPoint(0, 0)), deck.size());
    EXPECT_GT(test::countPixels(image, deckArea, test::isRed), 100);
    const QRect desktopArea = view_.workspace()->desktop()->geometry().translated(0, 40);
    EXPECT_GT(test::countPixels(image, desktopArea, test::isRed), 50) << "Émile still chooses";
    EXPECT_GT(test::countPixels(image, desktopArea, test::isBlack), 500);
    if (const QByteArray folder = qgetenv("TARVENDO_SNAPSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(folder) + "/tarvendo-open-table.png"));
    }
}

}  // namespace
}  // namespace tarvendo::client
