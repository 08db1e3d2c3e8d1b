#include <gtest/gtest.h>

#include <QAccessible>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "client/ClientSession.h"
#include "client/app/MainWindow.h"
#include "client/results/ResultsPanel.h"
#include "client/table/CardDealTitle.h"
#include "client/table/CardImageCache.h"
#include "client/table/Deck.h"
#include "client/table/DeckLayout.h"
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

// A key press on the deck: a key of its own, or a typed character.
struct Press {
    Qt::Key key;
    char typed = 0;
};
Press typed(char character) {
    return {Qt::Key_unknown, character};
}

// Ann's client at a scripted game server, admin or not, with its window.
class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(bool admin = true) {
        session_.shared().setToken("tok");
        session_.shared().setPlayerName("Ann");
        session_.connection().connect(server_.address());
        window_.resize(1008, 720);
        window_.show();
        activate();
        post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", admin));
    }
    void post(Event event, UserInfo info = {}) {
        postFromConnectionThread(session_.center(), event, std::move(info));
        runQueuedTasks();
    }
    // Shortcuts go to the active window.
    void activate() {
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    Deck& deck() { return *window_.mainView()->workspace()->deck(); }
    Desktop& desktop() { return *window_.mainView()->workspace()->desktop(); }
    ToolBar& toolBar() { return *window_.mainView()->toolBar(); }
    void press(const Press& press) {
        if (press.typed != 0) {
            QTest::keyClicks(&deck(), QString(QChar(press.typed)));
        } else {
            QTest::keyClick(&deck(), press.key);
        }
    }
    // The symbols of the cardElected requests sent so far.
    Texts elected() {
        Texts symbols;
        for (const Request& request : server_.requests()) {
            if (request.request == RequestCode::cardElected && request.data) {
                symbols.push_back(ToolBox::fromJsonObject(request.data)->at("symbol"));
            }
        }
        return symbols;
    }

    ~WindowTest() override { EXPECT_TRUE(alerts_.alerts().empty()) << "an alert was shown"; }

    AlertRecorder alerts_;
    ScriptedGameServer server_;
    ClientSession session_{kDelay};
    int terminations_ = 0;
    MainWindow window_{session_, [this] {
                           ++terminations_;
                       }};
};

struct KeyRow {
    const char* what;
    bool play;                         // the cards show
    std::optional<char> electedFirst;  // a card typed and elected before the keys
    std::vector<Press> keys;
    std::size_t focus;
    std::optional<std::size_t> selected;
    Texts elected;  // after the election delay
};

TEST_F(WindowTest, TheDeckPlaysByKeyboard) {
    const auto none = std::nullopt;
    const KeyRow rows[] = {
        {"Right twice, Left once",
         true,
         none,
         {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Left}},
         1,
         none,
         {}},
        {"Left at the first card stays", true, none, {{Qt::Key_Left}}, 0, none, {}},
        {"End, then Right stays on the last",
         true,
         none,
         {{Qt::Key_End}, {Qt::Key_Right}},
         11,
         none,
         {}},
        {"Home from the end", true, none, {{Qt::Key_End}, {Qt::Key_Home}}, 0, none, {}},
        {"Space picks the focused card",
         true,
         none,
         {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Space}},
         2,
         2,
         {"1"}},
        {"Return twice takes it back",
         true,
         none,
         {{Qt::Key_Right}, {Qt::Key_Return}, {Qt::Key_Return}},
         1,
         none,
         {}},
        {"typing 8 picks 8", true, none, {typed('8')}, 6, 6, {"8"}},
        {"h picks ½", true, none, {typed('h')}, 1, 1, {"½"}},
        {"? picks ?", true, none, {typed('?')}, 10, 10, {"?"}},
        {"Escape takes back a pending pick",
         true,
         none,
         {typed('3'), {Qt::Key_Escape}},
         4,
         none,
         {}},
        {"a second card while one is pending changes nothing",
         true,
         none,
         {typed('3'), typed('5')},
         5,
         4,
         {"3"}},
        {"nothing while the cards are hidden",
         false,
         none,
         {typed('5'), {Qt::Key_Right}},
         0,
         none,
         {}},
        {"nothing after the election", true, '2', {typed('5'), {Qt::Key_Escape}}, 3, 3, {"2"}},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.what);
        post(Event::initNewDeal, UserInfo().setText("title", row.what));
        if (row.play) {
            post(Event::play);
            EXPECT_TRUE(deck().hasFocus()) << "the deck takes the focus when it shows";
            deck().repaint();
        }
        const std::size_t before = elected().size();
        if (row.electedFirst) {
            press(typed(*row.electedFirst));
            EXPECT_TRUE(waitUntil([&] { return elected().size() == before + 1; }));
        }
        for (const Press& key : row.keys) {
            press(key);
        }
        EXPECT_EQ(deck().focusPosition(), row.focus);
        EXPECT_EQ(session_.cardStore().selectedPosition(), row.selected);
        waitUntil([] { return false; }, kDelay * 2);
        const Texts all = elected();
        EXPECT_EQ(Texts(all.begin() + std::ptrdiff_t(before), all.end()), row.elected);
    }
}

TEST_F(WindowTest, TheAdminsShortcutsAndMenusFollowTheSegments) {
    const auto enabled = [this] {
        std::vector<bool> states;
        for (const auto segment :
             {ToolBar::initSegment, ToolBar::playSegment, ToolBar::openSegment}) {
            states.push_back(toolBar().action(segment)->isEnabled());
            EXPECT_EQ(states.back(), toolBar().segmentedControl()->isSegmentEnabled(segment));
        }
        return states;
    };
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(toolBar().segmentedControl()->segment(ToolBar::openSegment)->toolTip(),
              "Open the cards (Ctrl+O)");

    QTest::keyClick(&window_, Qt::Key_I, Qt::ControlModifier);
    CardDealTitle* dialog = toolBar().dealTitleViewController();
    ASSERT_NE(dialog, nullptr) << "Ctrl+I opens the title dialog";
    QTest::keyClicks(dialog->gameTitle(), "Login");
    QTest::keyClick(dialog->gameTitle(), Qt::Key_Return);
    activate();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false}));
    QTest::keyClick(&window_, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&window_, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false}));
    post(Event::cardsReadyToOpen);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, true}));
    QTest::keyClick(&window_, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false}));
    std::vector<RequestCode> codes;
    for (const Request& request : server_.requests()) {
        codes.push_back(request.request);
    }
    EXPECT_EQ(codes, (std::vector<RequestCode>{RequestCode::initNewDeal, RequestCode::play,
                                               RequestCode::openCards}))
        << "Ctrl+O did nothing while Open was off";

    QTest::keyClick(&window_, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(
        waitUntil([this] { return window_.findChild<QDockWidget*>("history")->isVisible(); }));
    window_.findChild<QAction*>("logOut")->trigger();
    EXPECT_EQ(terminations_, 1);
}

class PlayerWindowTest : public WindowTest {
protected:
    PlayerWindowTest() : WindowTest(false) {}
};

TEST_F(PlayerWindowTest, APlayerHasNoGameMenuAndNoAdminShortcuts) {
    QStringList menus;
    for (QAction* menu : window_.menuBar()->actions()) {
        if (menu->isVisible()) {
            menus << menu->text();
        }
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Help"}));
    QTest::keyClick(&window_, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(toolBar().dealTitleViewController(), nullptr);
}

// Everything a screen reader reads of the interface, by accessible name.
class AccessibleWindowTest : public WindowTest {
protected:
    AccessibleWindowTest() {
        // The offscreen platform has no accessibility to announce to.
        previous_ = setAnnouncementHandler([this](QAccessibleEvent& event) { record(event); });
        post(Event::playerDidAdd, UserInfo().setText("player_name", "Ann"));
        post(Event::playerDidAdd, UserInfo().setText("player_name", "Ben"));
    }
    ~AccessibleWindowTest() override { setAnnouncementHandler(previous_); }
    void record(const QAccessibleEvent& event) {
        const char* view = qobject_cast<Deck*>(event.object())      ? "deck"
                           : qobject_cast<Desktop*>(event.object()) ? "desktop"
                                                                    : "other";
        events_.push_back(announced(view, event.child(), event.type()));
    }
    static QStringList childNames(QObject* view) {
        QStringList names;
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
        for (int index = 0; index < list->childCount(); ++index) {
            names << list->child(index)->text(QAccessible::Name);
        }
        return names;
    }
    static QAccessible::State stateOf(QObject* view, int index) {
        return QAccessible::queryAccessibleInterface(view)->child(index)->state();
    }
    static std::string announced(const char* view, int child, QAccessible::Event type) {
        return std::string(view) + " " + std::to_string(child) + " " + std::to_string(int(type));
    }
    bool wasAnnounced(const std::string& event) {
        return std::find(events_.begin(), events_.end(), event) != events_.end();
    }

    AnnouncementHandler previous_;
    std::vector<std::string> events_;
};

TEST_F(AccessibleWindowTest, AScreenReaderFollowsAWholeDeal) {
    post(Event::initNewDeal, UserInfo().setText("title", "Login"));
    post(Event::play);
    deck().repaint();
    EXPECT_EQ(childNames(&deck()).first(), "Card 0");
    EXPECT_EQ(childNames(&deck()).last(), "Card ∞");
    EXPECT_EQ(childNames(&desktop()), (QStringList{"Ann, choosing", "Ben, choosing"}));
    EXPECT_TRUE(stateOf(&deck(), 0).focused);

    QTest::keyClicks(&deck(), "5");
    EXPECT_TRUE(stateOf(&deck(), 5).selected);
    EXPECT_FALSE(stateOf(&deck(), 5).checked);
    EXPECT_TRUE(wasAnnounced(announced("deck", 5, QAccessible::StateChanged)));
    // The game server holds the election and pushes the card back.
    ASSERT_TRUE(waitUntil([this] { return !session_.cardStore().canChange(); }));
    post(Event::cardElected, UserInfo().setText("player_name", "Ann").setText("symbol", "5"));
    EXPECT_TRUE(stateOf(&deck(), 5).checked) << "elected";
    EXPECT_EQ(childNames(&desktop()), (QStringList{"Ann, has chosen", "Ben, choosing"}));
    EXPECT_TRUE(wasAnnounced(announced("desktop", 0, QAccessible::NameChanged)));

    post(Event::cardElected, UserInfo().setText("player_name", "Ben").setText("symbol", "*"));
    EXPECT_TRUE(wasAnnounced(announced("desktop", 1, QAccessible::NameChanged)));
    post(Event::cardElected, UserInfo().setText("player_name", "Ben").setText("symbol", "8"));
    post(Event::openCards);
    EXPECT_EQ(childNames(&desktop()), (QStringList{"Ann, 5", "Ben, 8"}));
    QAccessibleInterface* results =
        QAccessible::queryAccessibleInterface(window_.mainView()->workspace()->resultsPanel());
    EXPECT_EQ(results->text(QAccessible::Name), "Results");
    EXPECT_TRUE(results->text(QAccessible::Description).startsWith("2 of 2 cards shown; "));

    QAccessibleInterface* open =
        QAccessible::queryAccessibleInterface(toolBar().segmentedControl()->segment(2));
    EXPECT_EQ(open->text(QAccessible::Name), "Open");
    EXPECT_TRUE(open->state().disabled);
}

TEST(TableScaleTest, TheWindowsSizeOverItsDefaultScalesTheTableFromOnceToTwice) {
    const QSize standard(1008, 720);
    const struct {
        QSize size;
        double scale;
    } rows[] = {{standard, 1},       {{2016, 1440}, 2}, {{1512, 720}, 1},
                {{1512, 1080}, 1.5}, {{4000, 3000}, 2}, {{800, 600}, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(QString("%1 x %2").arg(row.size.width()).arg(row.size.height()).toStdString());
        EXPECT_DOUBLE_EQ(MainWindow::tableScale(row.size, standard), row.scale);
    }
}

TEST_F(WindowTest, TheTableKeepsItsFiguresAtTheDefaultSizeAndGrowsToTwiceThem) {
    window_.setDefaultSize(window_.size());
    post(Event::initNewDeal, UserInfo().setText("title", "Login"));
    post(Event::play);
    // At the default size: margins of 10 and cards no wider than 200.
    deck().repaint();
    const double available = deck().width() - 20;
    const double factor = std::min(available / 12 / 200, 1.0);
    const QRectF first = *session_.cardStore().cards().front().visibleRect();
    EXPECT_NEAR(first.x(), 10 + (available - 12 * 0.85 * 200 * factor) / 2, 1e-9);
    EXPECT_NEAR(first.width(), 0.85 * 200 * factor, 1e-9);
    EXPECT_EQ(desktop().nameFont().pixelSize(), 16);
    const Workspace& workspace = *window_.mainView()->workspace();
    EXPECT_NEAR(desktop().height(), 0.7 * (workspace.height() - Workspace::kDividerThickness), 1)
        << "the desktop's 70 %";
    window_.resize(window_.size() * 2);
    runQueuedTasks();
    deck().repaint();
    const double wider = deck().width() - 40;
    const double grown = std::min(wider / 12 / 200, 2.0);
    const QRectF twice = *session_.cardStore().cards().front().visibleRect();
    EXPECT_NEAR(twice.x(), 20 + (wider - 12 * 0.85 * 200 * grown) / 2, 1e-9);
    EXPECT_NEAR(twice.height(), 260 * grown, 1e-9);
    EXPECT_EQ(desktop().nameFont().pixelSize(), 32);
}

TEST(CardImageTest, TableCardsAreDrawnAtTheScreensPixels) {
    CardImageCache cache;
    const Card card(QStringLiteral("5"));
    const CardImageCache::Placed placed = cache.fittedInto(card, QRectF(10.5, 20, 150, 195), 2);
    EXPECT_EQ(placed.image.devicePixelRatio(), 2);
    EXPECT_EQ(placed.image.size(), QSize(300, 390));
    EXPECT_EQ(placed.topLeft, QPointF(10.5, 20)) << "a whole pixel of the screen";
}

}  // namespace
}  // namespace tarvendo::client
