#include <gtest/gtest.h>

#include <QAccessible>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "client/ClientSession.h"
#include "client/app/MainWindow.h"
#include "client/results/ResultsPanel.h"
#include "client/table/CardDealTitle.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/MainView.h"
#include "client/table/SegmentedControl.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"
#include "support/ScriptedGameServer.h"
#include "support/qt/AlertRecorder.h"
#include "support/qt/QtPrinters.h"
#include "support/qt/QtWaiting.h"

namespace tarvendo::client {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

constexpr std::chrono::milliseconds kDelay = 200ms;  // the election's, kept short

// The admin Ann's window at a scripted game server.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        session_.shared().setToken("tok");
        session_.shared().setPlayerName("Ann");
        session_.connection().connect(server_.address());
        window_.resize(1008, 720);
        window_.show();
        activate();
        post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", true));
        post(Event::playerDidAdd, UserInfo().setText("player_name", "Ann"));
        post(Event::playerDidAdd, UserInfo().setText("player_name", "Ben"));
    }
    ~WindowTest() override { EXPECT_TRUE(alerts_.alerts().empty()) << "an alert was shown"; }
    void post(Event event, UserInfo info = {}) { postAndRun(session_.center(), event, info); }
    void newDeal(bool play = true) {
        post(Event::initNewDeal, UserInfo().setText("title", "Login"));
        if (play) {
            post(Event::play);
            deck().repaint();
        }
    }
    // Shortcuts go to the active window.
    void activate() {
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    Deck& deck() { return *window_.mainView()->workspace()->deck(); }
    Desktop& desktop() { return *window_.mainView()->workspace()->desktop(); }
    ToolBar& toolBar() { return *window_.mainView()->toolBar(); }
    // <, >, [ and ] are Left, Right, Home and End; any other character is
    // its key (\r Return, \x1b Escape).
    void press(const std::string& keys) {
        const std::map<char, Qt::Key> moves{
            {'<', Qt::Key_Left}, {'>', Qt::Key_Right}, {'[', Qt::Key_Home}, {']', Qt::Key_End}};
        for (const char key : keys) {
            moves.count(key) > 0 ? QTest::keyClick(&deck(), moves.at(key))
                                 : QTest::keyClick(&deck(), key);
        }
    }

    AlertRecorder alerts_;
    ScriptedGameServer server_;
    ClientSession session_{kDelay};
    int terminations_ = 0;
    MainWindow window_{session_, [this] {
                           ++terminations_;
                       }};
};

TEST_F(WindowTest, TheDeckPlaysByKeyboard) {
    const struct {
        const char* keys;
        bool play;  // the cards show
        std::size_t focus;
        std::optional<std::size_t> selected;
        const char* elected;  // after the delay; "" for none
    } rows[] = {
        {">><", true, 1, {}, ""},   {"<", true, 0, {}, ""},   {"]>", true, 11, {}, ""},
        {"][", true, 0, {}, ""},    {">> ", true, 2, 2, "1"}, {">\r\r", true, 1, {}, ""},
        {"8", true, 6, 6, "8"},     {"h", true, 1, 1, "½"},   {"?", true, 10, 10, "?"},
        {"3\x1b", true, 4, {}, ""}, {"5>", false, 0, {}, ""}, {"35", true, 5, 4, "3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys);
        newDeal(row.play);
        EXPECT_TRUE(deck().hasFocus() || !row.play) << "the deck takes the focus when it shows";
        const std::size_t before = server_.sent().size();
        press(row.keys);
        EXPECT_EQ(deck().focusPosition(), row.focus);
        EXPECT_EQ(session_.cardStore().selectedPosition(), row.selected);
        // An election comes after the delay; none is watched for twice that.
        waitUntil([&] { return *row.elected && server_.sent().size() > before; },
                  *row.elected ? 5s : kDelay * 2);
        const Texts all = server_.sent();
        EXPECT_EQ(Texts(all.begin() + std::ptrdiff_t(before), all.end()),
                  *row.elected ? Texts{row.elected} : Texts{});
    }
    press("8\x1b");  // after the election of 3 nothing changes
    EXPECT_EQ(deck().focusPosition(), 5u);
    EXPECT_EQ(session_.cardStore().selectedPosition(), 4u);
}

TEST_F(WindowTest, TheAdminsShortcutsFollowTheSegmentsAndThePlayerHasNone) {
    const auto enabled = [this] {
        std::vector<bool> states;
        for (const auto segment :
             {ToolBar::initSegment, ToolBar::playSegment, ToolBar::openSegment}) {
            states.push_back(toolBar().action(segment)->isEnabled());
            EXPECT_EQ(states.back(), toolBar().segmentedControl()->isSegmentEnabled(segment));
        }
        return states;
    };
    QTest::keyClick(&window_, Qt::Key_I, Qt::ControlModifier);
    CardDealTitle* dialog = toolBar().dealTitleViewController();
    ASSERT_NE(dialog, nullptr) << "Ctrl+I opens the title dialog";
    QTest::keyClicks(dialog->gameTitle(), "Login");
    QTest::keyClick(dialog->gameTitle(), Qt::Key_Return);
    activate();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false}));
    QTest::keyClick(&window_, Qt::Key_O, Qt::ControlModifier);  // Open is off: nothing
    QTest::keyClick(&window_, Qt::Key_P, Qt::ControlModifier);
    post(Event::cardsReadyToOpen);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, true}));
    QTest::keyClick(&window_, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(server_.sent(), (Texts{"initNewDeal", "play", "openCards"}));
    QTest::keyClick(&window_, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(window_.findChild<QDockWidget*>("history")->isVisible());
    window_.findChild<QAction*>("logOut")->trigger();
    EXPECT_EQ(terminations_, 1);

    post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", false));
    QStringList menus;
    for (QAction* menu : window_.menuBar()->actions()) {
        menus << (menu->isVisible() ? menu->text() : QString());
    }
    EXPECT_EQ(menus, (QStringList{"&File", "", "&View", "&Help"})) << "a player has no Game menu";
    QTest::keyClick(&window_, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(server_.requests().size(), 3u) << "nor its shortcuts";
}

class AccessibleWindowTest : public WindowTest {
protected:
    // The offscreen platform has no accessibility that Qt would announce to.
    AccessibleWindowTest() {
        previous_ = setAnnouncementHandler([this](QAccessibleEvent& event) {
            events_.push_back({event.object(), event.child(), event.type()});
        });
    }
    ~AccessibleWindowTest() override { setAnnouncementHandler(previous_); }
    using Announcement = std::tuple<QObject*, int, QAccessible::Event>;
    bool announced(const Announcement& announcement) {
        return std::find(events_.begin(), events_.end(), announcement) != events_.end();
    }
    static QAccessibleInterface* child(QObject* view, int index) {
        return QAccessible::queryAccessibleInterface(view)->child(index);
    }
    static QStringList names(QObject* view) {
        QStringList names;
        for (int index = 0; index < QAccessible::queryAccessibleInterface(view)->childCount();
             ++index) {
            names << child(view, index)->text(QAccessible::Name);
        }
        return names;
    }

    AnnouncementHandler previous_;
    std::vector<Announcement> events_;
};

TEST_F(AccessibleWindowTest, AScreenReaderFollowsAWholeDeal) {
    newDeal();
    EXPECT_EQ(names(&deck()).mid(4, 2), (QStringList{"Card 3", "Card 5"}));
    EXPECT_EQ(names(&desktop()), (QStringList{"Ann, choosing", "Ben, choosing"}));
    EXPECT_TRUE(child(&deck(), 0)->state().focused);
    press("5");
    EXPECT_TRUE(child(&deck(), 5)->state().selected && !child(&deck(), 5)->state().checked);
    EXPECT_TRUE(announced({&deck(), 5, QAccessible::StateChanged}));
    ASSERT_TRUE(waitUntil([this] { return !session_.cardStore().canChange(); }));
    // The game server pushes the elected card back.
    post(Event::cardElected, UserInfo().setText("player_name", "Ann").setText("symbol", "5"));
    EXPECT_TRUE(child(&deck(), 5)->state().checked) << "elected";
    EXPECT_TRUE(announced({&desktop(), 0, QAccessible::NameChanged}));
    post(Event::cardElected, UserInfo().setText("player_name", "Ben").setText("symbol", "*"));
    EXPECT_EQ(names(&desktop()), (QStringList{"Ann, has chosen", "Ben, has chosen"}));
    post(Event::cardElected, UserInfo().setText("player_name", "Ben").setText("symbol", "8"));
    post(Event::openCards);
    EXPECT_EQ(names(&desktop()), (QStringList{"Ann, 5", "Ben, 8"}));
    EXPECT_TRUE(announced({&desktop(), 1, QAccessible::NameChanged}));
    QAccessibleInterface* results =
        QAccessible::queryAccessibleInterface(window_.mainView()->workspace()->resultsPanel());
    EXPECT_TRUE(results->text(QAccessible::Description).startsWith("2 of 2 cards shown; "));
    QAccessibleInterface* open =
        QAccessible::queryAccessibleInterface(toolBar().segmentedControl()->segment(2));
    EXPECT_TRUE(open->text(QAccessible::Name) == "Open" && open->state().disabled);
}

TEST_F(WindowTest, TheTableKeepsItsFiguresAtTheDefaultSizeAndGrowsToTwiceThem) {
    window_.setDefaultSize(window_.size());
    newDeal();
    const Workspace& workspace = *window_.mainView()->workspace();
    EXPECT_NEAR(desktop().height(), 0.7 * (workspace.height() - 1), 1) << "the desktop's 70 %";
    // The smaller ratio of the two sides to the default size, from 1 to 2.
    const std::pair<QSize, double> rows[] = {{{1008, 720}, 1},  {{2016, 1440}, 2},
                                             {{1512, 720}, 1},  {{1512, 1080}, 1.5},
                                             {{2520, 1800}, 2}, {{800, 600}, 1}};
    for (const auto& [size, scale] : rows) {
        SCOPED_TRACE(size.width());
        window_.resize(size);
        deck().repaint();
        // Margins of 10, cards at most 200 x 260, both times the scale.
        const double available = deck().width() - 20 * scale;
        const double factor = std::min(available / 12 / 200, scale);
        const QRectF first = *session_.cardStore().cards().front().visibleRect();
        EXPECT_NEAR(first.x(), 10 * scale + (available - 12 * 0.85 * 200 * factor) / 2, 1e-9);
        EXPECT_NEAR(first.height(), 260 * factor, 1e-9);
        EXPECT_EQ(desktop().nameFont().pixelSize(), 16 * scale);
    }
}

}  // namespace
}  // namespace tarvendo::client
