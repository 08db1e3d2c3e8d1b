#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "client/app/AppDelegate.h"
#include "client/app/MainWindow.h"
#include "client/login/LoginWindowController.h"
#include "client/login/Settings.h"
#include "client/qt/ElidedLabel.h"
#include "client/qt/QtMainQueue.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/ImageScaling.h"
#include "client/table/MainView.h"
#include "client/table/SegmentedControl.h"
#include "client/table/Texture.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"
#include "support/MainQueueContract.h"
#include "support/PushSink.h"
#include "support/ScriptedGameServer.h"
#include "support/StdoutCapture.h"
#include "support/qt/AlertRecorder.h"
#include "support/qt/QtPrinters.h"
#include "support/qt/QtWaiting.h"

namespace tarvendo::client {
namespace {

using namespace std::chrono_literals;
using namespace test;
using Texts = std::vector<std::string>;

// A short election delay keeps the timeline quick; the rules are the same.
constexpr std::chrono::milliseconds kDelay = 200ms;

QStringList textsOf(const AlertRecorder& recorder) {
    QStringList texts;
    for (const AlertRecorder::Alert& alert : recorder.alerts()) {
        texts << alert.message + " / " + alert.informative;
    }
    return texts;
}

bool isRed(QColor color) {
    return color.alpha() == 255 && color.red() > 200 && color.green() < 60 && color.blue() < 60;
}

bool isBlack(QColor color) {
    return color.alpha() == 255 && color.value() < 40;
}

// The box around the pixels of one colour, the ink, within an area of an image.
QRect ink(const QImage& image, const QRect& area, bool (*is)(QColor)) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            box |= is(image.pixelColor(x, y)) ? QRect(x, y, 1, 1) : QRect();
        }
    }
    return box;
}

UserInfo named(const std::string& player) {
    return UserInfo().setText("player_name", player);
}

// The player Ann's deck, desktop and main view, logged in to a scripted
// game server.
class TableTest : public ::testing::Test {
protected:
    TableTest() {
        session_.shared().setToken("tok");
        session_.shared().setPlayerName("Ann");
        session_.connection().connect(server_.address());
        deck_.resize(1020, 300);
        desktop_.resize(800, 600);
    }
    // As the client server posts, then runs what that queued.
    void post(Event event, UserInfo info = {}) { postAndRun(session_.center(), event, info); }
    CardStore& store() { return session_.cardStore(); }
    QImage drawnDeck() { return deck_.grab().toImage(); }  // drawing lays the row out
    QRectF rectOf(std::size_t card) { return store().cards()[card].visibleRect().value(); }
    void click(std::size_t card) {
        QTest::mouseClick(&deck_, Qt::LeftButton, {}, rectOf(card).center().toPoint());
    }
    void newDeal() {
        post(Event::initNewDeal);
        post(Event::play);
        drawnDeck();
    }
    // Each seat's player and card: # is red while the player chooses, #! black after.
    Texts seats() {
        Texts seats;
        for (const Desktop::Seat& seat : desktop_.seats()) {
            seats.push_back(seat.playerName + " " + seat.card.symbol().toStdString() +
                            (seat.card.status() == CardStatus::known ? "!" : ""));
        }
        return seats;
    }
    ToolBar& toolBar() { return *view_.toolBar(); }
    // I, P and O for the enabled segments.
    std::string segments() {
        const SegmentedControl& control = *toolBar().segmentedControl();
        return {control.isSegmentEnabled(0) ? 'I' : '-', control.isSegmentEnabled(1) ? 'P' : '-',
                control.isSegmentEnabled(2) ? 'O' : '-'};
    }
    CardDealTitle* press(ToolBar::Segment segment) {
        toolBar().segmentedControl()->segment(segment)->click();
        return toolBar().dealTitleViewController();
    }
    // Types into Init's dialog, presses Return, waits until the dialog has gone.
    void startDeal(const char* typed) {
        CardDealTitle* dialog = press(ToolBar::initSegment);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->gameTitle(), typed);
        QTest::keyClick(dialog->gameTitle(), Qt::Key_Return);
        EXPECT_EQ(press(ToolBar::initSegment), dialog) << "no second dialog while one closes";
        EXPECT_TRUE(waitUntil([this] { return !toolBar().dealTitleViewController(); }));
    }

    AlertRecorder alerts_;
    ScriptedGameServer server_;
    ClientSession session_{kDelay};
    Deck deck_{session_};
    Desktop desktop_{session_};
    MainView view_{session_};
};

// A narrow view shrinks the row of cards; a wide one keeps their natural
// size and centres the row.
TEST_F(TableTest, ClickRaisesACardInRedAndASecondClickLowersIt) {
    deck_.resize(3000, 400);
    newDeal();
    EXPECT_EQ(rectOf(11).toRect(), QRect(2350, 51, 170, 260));
    deck_.resize(1020, 300);
    drawnDeck();
    EXPECT_EQ(rectOf(11).toRect(), QRect(864, 88, 71, 108));
    const QRectF resting = rectOf(4);
    click(4);
    const QImage image = drawnDeck();
    EXPECT_NEAR(resting.y() - rectOf(4).y(), 0.15 * resting.height(), 0.001);
    EXPECT_GT(ink(image, rectOf(4).toRect(), isRed).height(), 30);
    EXPECT_TRUE(ink(image, rectOf(5).toRect(), isRed).isNull());
    click(5);
    click(4);
    EXPECT_FALSE(store().selectedPosition().has_value()) << "only the selected card takes clicks";
    post(Event::initNewDeal);
    click(4);
    EXPECT_FALSE(store().selectedPosition().has_value()) << "nobody picks a hidden card";
    QTest::qWait(2 * kDelay.count());
    EXPECT_TRUE(server_.requests().empty());
}

// A selection standing for the delay is sent once; whatever the answer, it
// locks the deck until the next deal, and only a refusal is printed. A new
// deal drops a pending election.
TEST_F(TableTest, ElectionAfterTheDelayLocksTheDeckAndARefusalIsPrinted) {
    for (const auto& [answer, printed] :
         std::vector<std::pair<std::optional<AnswerMessage>, std::string>>{
             {AnswerMessage::OK, ""},
             {AnswerMessage::invalidToken, "Error in card election: (code: 42"},
             {std::nullopt, ""}}) {
        SCOPED_TRACE(printed);
        newDeal();
        click(8);
        newDeal();
        answer ? server_.answerNext(*answer, 42) : server_.goAway();
        StdoutCapture output;
        const auto clicked = std::chrono::steady_clock::now();
        click(11);
        EXPECT_TRUE(waitUntil([this] { return !store().canChange(); }));
        EXPECT_GE(std::chrono::steady_clock::now() - clicked, kDelay);
        QTest::qWait(2 * kDelay.count());
        click(11);
        EXPECT_EQ(store().selectedPosition(), 11U) << "locked";
        output.finish();
        EXPECT_EQ(output.text().substr(0, printed.size()), printed);
        EXPECT_EQ(output.text().empty(), printed.empty()) << output.text();
    }
    EXPECT_EQ(server_.sent(), (Texts{"∞", "∞"}));
    EXPECT_EQ(server_.requests().at(1).token, "tok");
    EXPECT_EQ(bodyOf(server_.requests().at(1)), (Json{{"player_name", "Ann"}, {"symbol", "∞"}}));
}

// Seats in the order of the names' UTF-8 bytes (capitals first, and not in
// UTF-16 order), three rows of eight at least; the cards face down until
// they are opened.
TEST_F(TableTest, DesktopSeatsThePlayersAndShowsTheirCardsFaceDownUntilOpenCards) {
    for (const char* player : {"😀", "bob", "Ａ", "Alice", "Carol"}) {
        post(Event::playerDidAdd, named(player));
    }
    post(Event::cardElected, named("bob").setText("symbol", "8"));
    EXPECT_EQ(seats(), (Texts{"Alice #", "Carol #", "bob #!", "Ａ #", "😀 #"}));
    const QImage image = desktop_.grab().toImage();
    EXPECT_GT(ink(image, {10, 60, 80, 120}, isRed).height(), 30) << "Alice's # is red";
    EXPECT_TRUE(ink(image, {210, 60, 80, 120}, isRed).isNull()) << "bob's is black";
    post(Event::openCards);
    post(Event::cardElected, named("Alice").setText("symbol", "13"));
    EXPECT_EQ(seats(), (Texts{"Alice 13", "Carol #", "bob 8", "Ａ #", "😀 #"}));
    post(Event::initNewDeal);
    post(Event::openCards);
    post(Event::play);
    post(Event::playerDidRemove, named("Carol"));
    post(Event::cardElected, named("Alice"));  // without a symbol
    EXPECT_EQ(seats(), (Texts{"Alice #", "bob #", "Ａ #", "😀 #"})) << "play closes the cards";
    for (int i = 10; i < 31; ++i) {  // to 25 players
        post(Event::playerDidAdd, named("P" + std::to_string(i)));
        EXPECT_EQ(desktop_.seats().back().cell.height(), i < 30 ? 200 : 150) << i;
    }
    EXPECT_EQ(desktop_.seats()[24].cell, QRectF(0, 450, 100, 150));
}

// Each segment switches itself off on OK, and a new deal switches Open off;
// a refusal shows its alert, in words (the server's own, or a sentence for
// its message), and leaves the segments as they were (a second press goes
// out); no answer shows nothing.
TEST_F(TableTest, ToolBarSegmentsFollowAWholeDealAndRefusalsChangeNothing) {
    post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", false));
    EXPECT_TRUE(toolBar().isHidden()) << "only the admin has it";
    post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", true));
    CardDealTitle* dialog = press(ToolBar::initSegment);
    ASSERT_NE(dialog, nullptr);
    dialog->gameTitle()->setText(" \t ");
    dialog->acceptButton()->click();
    QTest::keyClick(dialog->gameTitle(), Qt::Key_Escape);
    EXPECT_EQ(toolBar().dealTitleViewController(), nullptr) << "Escape drops it at once";
    view_.resize(1008, 600);
    view_.show();
    dialog = press(ToolBar::initSegment);
    const QPoint under = dialog->pos() - view_.pos();
    view_.move(view_.pos() + QPoint(30, 20));
    EXPECT_TRUE(waitUntil([&] { return dialog->pos() - view_.pos() == under; }))
        << "it follows the window";
    const QRect screen = view_.screen()->availableGeometry();
    view_.move(screen.right() - 300, view_.y());
    EXPECT_TRUE(waitUntil([&] { return dialog->geometry().right() <= screen.right(); }))
        << "and stays on the screen";
    QTest::keyClick(dialog->gameTitle(), Qt::Key_Escape);
    server_.answerNext(AnswerMessage::invalidToken);
    startDeal("story");
    EXPECT_EQ(segments(), "I--");
    startDeal("checkout ");
    EXPECT_EQ(segments(), "IP-");
    server_.answerNext(Answer{3, AnswerMessage::error, "", "Only the admin leads the deal", {}});
    press(ToolBar::playSegment);
    press(ToolBar::playSegment);
    EXPECT_EQ(segments(), "I--");
    post(Event::cardsReadyToOpen);
    server_.answerNext(AnswerMessage::adminNotLoggedIn);
    press(ToolBar::openSegment);
    press(ToolBar::openSegment);
    EXPECT_EQ(segments(), "I--");
    post(Event::cardsReadyToOpen);
    startDeal("next");
    EXPECT_EQ(segments(), "IP-") << "nobody has voted in the new deal";
    post(Event::cardsReadyToOpen);
    server_.goAway();
    press(ToolBar::openSegment);
    EXPECT_EQ(segments(), "IPO");
    EXPECT_EQ(server_.sent(), (Texts{"initNewDeal", "initNewDeal", "play", "play", "openCards",
                                     "openCards", "initNewDeal"}));
    EXPECT_EQ(bodyOf(server_.requests().at(1)), (Json{{"title", "Checkout"}}));
    EXPECT_EQ(textsOf(alerts_),
              (QStringList{"The deal name can't by empty! / Type the name",
                           "Error: can't initialize new game / The game "
                           "server does not know this session any more.",
                           "Error: can't play / Only the admin leads the deal",
                           "Error: can'open cards / The game has no admin yet."}));
}

// Remembers what each paint of the widget it watches covered.
struct PaintRecorder : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        painted +=
            event->type() == QEvent::Paint ? static_cast<QPaintEvent*>(event)->region() : QRegion();
        return false;
    }
    QRegion painted;
};

// A vote repaints its own seat only; the opening repaints the whole table.
TEST_F(TableTest, AVoteRepaintsItsSeatAndTheOpeningTheWholeTable) {
    PaintRecorder recorder;
    desktop_.installEventFilter(&recorder);
    desktop_.show();
    for (const char* player : {"Ann", "Bob", "Cy"}) {
        post(Event::playerDidAdd, named(player));
    }
    for (const auto& [event, info, expected] :
         {std::tuple{Event::cardElected, named("Bob").setText("symbol", "8"),
                     QRegion(100, 0, 100, 200)},
          {Event::openCards, UserInfo(), QRegion(desktop_.rect())}}) {
        EXPECT_TRUE(waitUntil([&] { return !recorder.painted.isEmpty(); }));
        recorder.painted = QRegion();
        post(event, info);
        EXPECT_TRUE(waitUntil([&] { return !recorder.painted.isEmpty(); }));
        EXPECT_EQ(recorder.painted, expected);
    }
}

// Sizes in the card layout are pixels: at 120 points a digit would stand
// some 116 pixels tall instead of 87.
TEST(CardTest, SymbolIsSetAt120Pixels) {
    EXPECT_NEAR(ink(Card(QStringLiteral("8")).image(), {0, 0, 200, 260}, isBlack).height(), 87, 8);
}

// The paper texture with an image drawn on it.
QImage onTable(const QImage& image, QPointF at,
               QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver) {
    QImage table(QSize(400, 400), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&table);
    painter.fillRect(table.rect(), textureBrush());
    painter.setCompositionMode(mode);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(at, image);
    return table;
}

// One image per look and size, showing what resizing the card on every draw
// showed: a stale one would show a card in the wrong colour, size or place.
// On a screen of two pixels a point, the image has the screen's pixels.
TEST(CardImageCacheTest, EachLookAndSizeIsDrawnOnceWithThePixelsOfResizingOnEveryDraw) {
    const QRectF seat(126, 191.37, 126, 140.5);  // below a name of fractional height
    std::vector<std::pair<Card, QRectF>> looks{
        {Card(QStringLiteral("8")), seat},
        {Card(QStringLiteral("8")), seat},
        {Card(QStringLiteral("5")), seat},
        {Card(QStringLiteral("8")), seat.adjusted(0, 0, -60, 0)},
        {Card(QStringLiteral("8")), seat.translated(0, 0.25)},
        {Card(QStringLiteral("#")), seat},
        {Card(QStringLiteral("#"), CardStatus::known), seat}};
    looks[1].first.setSelected(true);
    CardImageCache cache;
    for (const auto& [card, box] : looks) {
        SCOPED_TRACE(card.symbol().toStdString() + " " + std::to_string(box.height()));
        const CardImageCache::Placed placed = cache.fittedInto(card, box);
        EXPECT_EQ(onTable(placed.image, placed.topLeft),
                  onTable(scaledTo(card.image(), box.size()), box.topLeft()));
        EXPECT_EQ(cache.fittedInto(card, box).image.cacheKey(), placed.image.cacheKey());
        EXPECT_EQ(cache.scaledBy(card, 0.48), scaled(card.image(), 0.48));
    }
    const auto sharp = cache.fittedInto(Card(QStringLiteral("5")), {10.5, 20, 150, 195}, 2);
    EXPECT_EQ(sharp.image.size(), QSize(300, 390)) << "drawn at the screen's pixels";
    EXPECT_EQ(sharp.image.devicePixelRatio(), 2);
    EXPECT_EQ(sharp.topLeft, QPointF(10.5, 20));
}

// Over the opaque paper SourceOver gives the pixels SourceAtop gives, and
// fast; over any other background cards go atop.
TEST(TextureTest, CardsGoOverTheOpaqueTextureAndAtopAnyOtherBackground) {
    EXPECT_EQ(cardComposition(textureBrush()), QPainter::CompositionMode_SourceOver);
    EXPECT_EQ(cardComposition(QBrush(QColor(255, 255, 255, 128))),
              QPainter::CompositionMode_SourceAtop);
    const QImage card = Card(QStringLiteral("13")).image();
    EXPECT_EQ(onTable(card, {}), onTable(card, {}, QPainter::CompositionMode_SourceAtop));
}

// A launched client against a scripted game server, counting its quits
// instead of ending the application.
class AppTest : public ::testing::Test {
protected:
    AppTest() {
        storeServerAddress("10.1.2.3");
        delegate_.applicationWillFinishLaunching();
        delegate_.applicationDidFinishLaunching();
    }
    ClientSession& session() { return delegate_.session(); }
    QLineEdit* line(const char* id) { return delegate_.loginWindow()->findChild<QLineEdit*>(id); }
    QCheckBox* admin() { return delegate_.loginWindow()->findChild<QCheckBox*>("adminCheckBox"); }
    // The login form as typed for a server on 127.0.0.1; a game name makes it the admin's.
    void fill(const QString& name, const QString& port, const char* game = nullptr) {
        line("userName")->setText(name);
        line("serverAddress")->setText("127.0.0.1");
        line("serverPort")->setText(port);
        admin()->setChecked(game != nullptr);
        line("gameName")->setText(game);
    }
    QString serverPort() const { return QString::number(server_.address().port); }

    AlertRecorder alerts_;
    ScriptedGameServer server_;
    const std::int32_t clientPort_ = freePort();
    int quitCount_ = 0;
    AppDelegate delegate_{AppOptions{clientPort_, std::nullopt, [this] {
                                         ++quitCount_;
                                     }}};
};

// The checks stop at the first failure with its alert; the game server's
// refusals have their own alerts, any other answer ends silently. No answer
// at all ends silently too, but the next OK connects afresh. Escape gives
// up: the application quits.
TEST_F(AppTest, FailedLoginsShowTheirAlertsOrTheLostConnectionAndEscapeQuits) {
    const QString open = serverPort();
    using Row = std::tuple<QString, QString, const char*, std::optional<AnswerMessage>, QString>;
    for (const auto& [name, port, game, answer, alert] : std::vector<Row>{
             {"", "70000", nullptr, std::nullopt,
              "Invalid server address / Try to enter valid server address or exit."},
             {" ", "50000", nullptr, std::nullopt,
              "Player's name is empty. / Without name you can't start to play."},
             {"Ann", "50000", " ", std::nullopt,
              "No game name given. / As admin you have to enter the name of the game."},
             {"Ann", QString::number(freePort()), nullptr, std::nullopt,
              "Can't connect to the server. / Correct server data and try again, or exit"},
             {"Ann", open, nullptr, AnswerMessage::adminNotLoggedIn,
              "Can't start the game. / No admin for the game."},
             {"Ann", open, " Sprint ", AnswerMessage::adminAlreadyLoggenIn,
              "Can't login the admin. / Admin is logged in already."},
             {"Ann", open, nullptr, AnswerMessage::userNameAlreadyInUse,
              "Can't login with this name. / This name is already in use."},
             {"Ann", open, nullptr, AnswerMessage::invalidData, ""}}) {
        SCOPED_TRACE(alert.toStdString());
        if (answer) {
            server_.answerNext(*answer, 3);
        }
        const QStringList before = textsOf(alerts_);
        fill(name, port, game);
        delegate_.loginWindow()->okDidClick();
        EXPECT_EQ(textsOf(alerts_), alert.isEmpty() ? before : before + QStringList{alert});
    }
    EXPECT_FALSE(delegate_.window()->isVisible()) << "no login";
    EXPECT_FALSE(session().shared().token().has_value());
    server_.goAway();
    delegate_.loginWindow()->okDidClick();
    EXPECT_EQ(alerts_.alerts().size(), 7U) << "none for no answer";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor ends with it";
    delegate_.loginWindow()->okDidClick();
    EXPECT_EQ(textsOf(alerts_).back(),
              "Can't connect to the server. / Correct server data and try again, or exit")
        << "the closed connection is opened afresh, and the server is gone";
    QTest::keyClick(delegate_.loginWindow(), Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([this] { return quitCount_ > 0; })) << "giving up at login quits";
    EXPECT_EQ(QSettings("Tarvendo", "Tarvendo Base").value("serverAddress"), "127.0.0.1");
    EXPECT_EQ(server_.sent().at(1), "loginAdmin");
    EXPECT_EQ(bodyOf(server_.requests().at(1))["game_name"], "Sprint");
}

// The main window waits centred for the login; the form offers the address
// used last. Return in a field presses OK; the players already in the game
// take their seats and the main window takes over.
// Closing the window, or quitting, logs out a tenth of a second later,
// forgets the token on OK, closes the connection, stops the client server
// and quits once.
TEST_F(AppTest, LaunchLoginAndQuit) {
    EXPECT_EQ(mainWindowGeometry({1440, 900}), QRect(216, 90, 1008, 720)) << "rounded";
    EXPECT_EQ(delegate_.window()->geometry(),
              mainWindowGeometry(QGuiApplication::primaryScreen()->geometry().size()));
    EXPECT_EQ(line("serverAddress")->text(), "10.1.2.3");
    EXPECT_EQ(delegate_.loginWindow()->focusWidget(), line("userName"));
    admin()->setChecked(true);
    EXPECT_EQ(delegate_.loginWindow()->focusWidget(), line("gameName"));
    QGuiApplication::clipboard()->setText(QString("😀").repeated(70));
    line("userName")->paste();
    EXPECT_EQ(line("userName")->text(), QString("😀").repeated(64)) << "64 characters, not units";
    server_.answerNext(
        {0, AnswerMessage::OK, "tok-1", "Sprint 12", ByteBuffer::fromText(R"(["Ann","Bob"])")});
    fill(" Ann \n", serverPort());
    QTest::keyClick(line("userName"), Qt::Key_Return);
    const auto seats = delegate_.window()->mainView()->workspace()->desktop()->seats();
    ASSERT_EQ(seats.size(), 2U);
    EXPECT_EQ(seats[1].playerName, "Bob");
    EXPECT_EQ(
        bodyOf(server_.requests().at(0)),
        (Json{{"player_name", "Ann"}, {"game_name", ""}, {"client_server_port", clientPort_}}));
    EXPECT_EQ(delegate_.window()->windowTitle(), "Tarvendo Base  (Ann)");
    const auto dealLineAfter = [this](const std::string& title) {
        postAndRun(session().center(), Event::initNewDeal, UserInfo().setText("title", title));
        return delegate_.window()->dealTitle()->text().toStdString();
    };
    EXPECT_EQ(dealLineAfter("Story"), "Game: Sprint 12, Deal: Story");
    EXPECT_EQ(dealLineAfter(" \n"), "Game: Sprint 12");
    const int width = delegate_.window()->width();
    const std::string longTitle(270, 'w');
    EXPECT_EQ(dealLineAfter(longTitle), "Game: Sprint 12, Deal: " + longTitle);
    const auto* dealLine = static_cast<ElidedLabel*>(delegate_.window()->dealTitle());
    EXPECT_EQ(delegate_.window()->width(), width) << "a long title never widens the window";
    EXPECT_TRUE(dealLine->shownText().contains("…"));
    EXPECT_EQ(dealLine->toolTip(), dealLine->text());

    FramePeer push(clientPort_);
    const auto asked = std::chrono::steady_clock::now();
    delegate_.window()->close();
    EXPECT_TRUE(delegate_.window()->isVisible()) << "until the logout has run";
    delegate_.applicationShouldTerminate();
    ASSERT_TRUE(waitUntil([this] { return quitCount_ > 0; }));
    EXPECT_GE(std::chrono::steady_clock::now() - asked, 100ms);
    EXPECT_EQ(server_.sent(), (Texts{"loginPlayer", "logout"}));
    EXPECT_EQ(server_.requests().at(1).token, "tok-1");
    EXPECT_FALSE(session().shared().token().has_value());
    EXPECT_FALSE(session().connection().isConnectedToServer());
    EXPECT_TRUE(push.seesEndOfStream()) << "the client server has stopped";
    runQueuedTasks();
    EXPECT_EQ(quitCount_, 1);
}

// Refuses every request to quit, as a main window waiting for its logout
// does on a desktop; the offscreen platform would not ask the windows.
struct QuitRefuser : QObject {
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Quit; }
};

// exit(), not quit(): the event loop must end all the same.
TEST(AppDelegateTest, TerminationEndsTheEventLoopAndARefusedLogoutKeepsTheToken) {
    ScriptedGameServer server;
    server.answerNext(AnswerMessage::invalidToken);
    AppDelegate delegate{AppOptions{0, std::nullopt, {}}};
    delegate.session().connection().connect(server.address());
    delegate.session().shared().setToken("tok");
    QuitRefuser refuser;
    qApp->installEventFilter(&refuser);
    QTimer::singleShot(0, delegate.window(), [&] { delegate.applicationShouldTerminate(); });
    QTimer::singleShot(5000, delegate.window(), [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(delegate.session().shared().token(), "tok");
}

// The Qt backend on the application object, its timers at most 100 ms
// long so that a longer delay takes several.
struct QtBackend {
    static std::shared_ptr<QtMainQueue> make() {
        return std::make_shared<QtMainQueue>(qApp, 100ms);
    }
    static bool runUntil(QtMainQueue&, const std::function<bool()>& condition,
                         std::chrono::milliseconds limit) {
        return waitUntil(condition, limit);
    }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MainQueueContract, QtBackend);

}  // namespace
}  // namespace tarvendo::client
