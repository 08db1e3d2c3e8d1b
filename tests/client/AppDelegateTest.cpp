#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "AppDelegate.h"
#include "ClientTestSupport.h"
#include "CommandLine.h"
#include "ConnectionStatus.h"
#include "Exchange.h"
#include "Frame.h"
#include "GameServerConnection.h"
#include "LoginWindowController.h"
#include "MainWindow.h"
#include "NotificationCenter.h"
#include "Shared.h"

namespace tarvendo::client {
namespace {

using namespace std::chrono_literals;

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        Shared::reset();
        delegate.applicationWillFinishLaunching();
        delegate.applicationDidFinishLaunching();
    }
    void TearDown() override {
        closeGameServerConnection();
        Shared::reset();
    }
    QString dealLine() const { return delegate.window()->dealTitle()->text(); }
    void logIn(const std::string& name, bool admin) {
        Shared::setGameName(std::string("Sprint 12"));
        Shared::setPlayerName(name);
        Shared::setAdmin(admin);
        NotificationCenter::defaultCenter().post(Event::loginSuccess);
    }
    // Waits for the termination sequence to reach its end.
    bool quitWithin(std::chrono::milliseconds limit) {
        return test::waitUntil([this] { return quits > 0; }, static_cast<int>(limit.count()));
    }

    int quits = 0;
    AppDelegate delegate{AppOptions{0, std::nullopt, [this] {
                                        ++quits;
                                    }}};
};

TEST_F(AppDelegateTest, MainWindowTakesSevenTenthsByEightTenthsCentred) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = delegate.window()->geometry();
    EXPECT_EQ(frame.width(), static_cast<int>(0.7 * screen.width()));
    EXPECT_EQ(frame.height(), static_cast<int>(0.8 * screen.height()));
    EXPECT_EQ(frame.x(), static_cast<int>((screen.width() - 0.7 * screen.width()) * 0.5));
    EXPECT_EQ(frame.y(), static_cast<int>((screen.height() - 0.8 * screen.height()) * 0.5));
}

TEST_F(AppDelegateTest, LaunchShowsTheLoginWindowAndListensForPushesBeforeLogin) {
    EXPECT_TRUE(delegate.loginWindow()->isVisible());
    EXPECT_FALSE(delegate.window()->isVisible());
    EXPECT_EQ(dealLine(), "");
    ASSERT_TRUE(test::waitUntil([this] { return delegate.clientServerPort().has_value(); }));

    std::atomic<int> plays{0};
    EventObserver observer;
    observer.registerEvent(Event::play, [&](const Notification&) { ++plays; });
    const std::shared_ptr<Socket> push = Socket::create();
    ASSERT_TRUE(connectSocket(*push, {"127.0.0.1", *delegate.clientServerPort()}));
    writeFrame(*push, *Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt}.json());
    EXPECT_TRUE(test::waitUntil([&] { return plays.load() == 1; }));
}

TEST_F(AppDelegateTest, CompletedLoginTitlesTheWindowAndTellsTheViews) {
    std::optional<bool> announcedAdmin;
    EventObserver observer;
    observer.registerEvent(Event::userIsLoggedIn, [&](const Notification& notification) {
        announcedAdmin = notification.userInfo.get<bool>("is_admin");
    });
    logIn("Ann", true);
    EXPECT_FALSE(delegate.loginWindow()->isVisible());
    EXPECT_TRUE(delegate.window()->isVisible());
    EXPECT_EQ(delegate.window()->windowTitle(), "Tarvendo Base  (Ann)");
    EXPECT_EQ(announcedAdmin, true);
    EXPECT_TRUE(test::waitUntil([this] { return dealLine() == "Game: Sprint 12"; }));
}

TEST_F(AppDelegateTest, DealTitleLineFollowsPushedDeals) {
    logIn("Bob", false);
    test::postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "Login page"));
    EXPECT_TRUE(
        test::waitUntil([this] { return dealLine() == "Game: Sprint 12, Deal: Login page"; }));
    test::postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "   "));
    EXPECT_TRUE(test::waitUntil([this] { return dealLine() == "Game: Sprint 12"; }));
    test::postFromConnectionThread(Event::initNewDeal, UserInfo().setJson("title", 7));
    test::postFromConnectionThread(Event::initNewDeal);
    test::runQueuedTasks();
    EXPECT_EQ(dealLine(), "Game: Sprint 12") << "a push without a text title changes nothing";
}

TEST_F(AppDelegateTest, LostGameServerShowsAStatusLineUntilAnAnswerComes) {
    QLabel* status = delegate.window()->connectionStatus();
    logIn("Ann", true);
    auto server = std::make_unique<test::SubstituteGameServer>();
    ASSERT_TRUE(connectToGameServer(server->address()));
    const Request play{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_TRUE(exchange(play).has_value());
    EXPECT_TRUE(status->isHidden());
    server->goAway();
    EXPECT_FALSE(exchange(play).has_value());
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), ConnectionStatus::kLostText);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr)
        << "the busy cursor ends with the exchange";
}

TEST(ConnectionStatusTest, BusyCursorLastsExactlyAsLongAsTheExchange) {
    QLabel status;
    ConnectionStatus watcher(&status);
    watcher.exchangeStarted();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    watcher.exchangeEnded(ExchangeEnd::noAnswer);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(status.text().isEmpty()) << "an unreadable answer is no lost connection";
}

class TerminationTest : public AppDelegateTest {
protected:
    void connectTo(test::SubstituteGameServer& server) {
        ASSERT_TRUE(connectToGameServer(server.address()));
        Shared::setToken(std::string("tok"));
    }
};

TEST_F(TerminationTest, OkLogoutForgetsTheTokenClosesAndQuits) {
    test::SubstituteGameServer server;
    connectTo(server);
    delegate.applicationShouldTerminate();
    EXPECT_EQ(quits, 0) << "the logout runs later, on the main queue";
    ASSERT_TRUE(quitWithin(2s));
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0].request, RequestCode::logout);
    EXPECT_EQ(server.requests()[0].token, "tok");
    EXPECT_FALSE(Shared::token().has_value());
    EXPECT_FALSE(isConnectedToServer.load());
}

TEST_F(TerminationTest, RefusedLogoutKeepsTheTokenButStillClosesAndQuits) {
    test::SubstituteGameServer server;
    server.answerNext(AnswerMessage::invalidToken, 4);
    connectTo(server);
    delegate.applicationShouldTerminate();
    delegate.applicationShouldTerminate();  // a second quit command changes nothing
    ASSERT_TRUE(quitWithin(2s));
    EXPECT_EQ(Shared::token(), "tok");
    EXPECT_FALSE(isConnectedToServer.load());
    test::runQueuedTasks();
    EXPECT_EQ(quits, 1);
}

TEST_F(TerminationTest, WithoutAServerQuittingStillEndsWithinItsBound) {
    test::SubstituteGameServer server;
    connectTo(server);
    server.goAway();
    delegate.applicationShouldTerminate();
    EXPECT_TRUE(quitWithin(3s));
    EXPECT_EQ(Shared::token(), "tok");
}

TEST_F(TerminationTest, OpenPushConnectionsDoNotHoldUpQuitting) {
    ASSERT_TRUE(test::waitUntil([this] { return delegate.clientServerPort().has_value(); }));
    const std::shared_ptr<Socket> push = Socket::create();
    ASSERT_TRUE(connectSocket(*push, {"127.0.0.1", *delegate.clientServerPort()}));
    writeFrame(*push, *Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt}.json());
    delegate.applicationShouldTerminate();
    EXPECT_TRUE(quitWithin(3s));
    EXPECT_FALSE(push->readData(1).has_value()) << "the client server has closed its side";
}

TEST_F(TerminationTest, CancelAtLoginClosesBothWindowsAndQuits) {
    delegate.loginWindow()->cancelDidClick();
    EXPECT_FALSE(delegate.loginWindow()->isVisible());
    EXPECT_FALSE(delegate.window()->isVisible());
    EXPECT_TRUE(quitWithin(2s)) << "the logout on a connection never opened fails at once";
}

TEST_F(TerminationTest, ClosingTheMainWindowRunsTheLogoutFirst) {
    logIn("Ann", false);
    delegate.window()->close();
    EXPECT_TRUE(delegate.window()->isVisible()) << "the window waits for the logout";
    EXPECT_TRUE(quitWithin(2s));
}

TEST(CommandLineTest, ReadsPortsAndAddressAndRefusesBadPorts) {
    const auto defaults = parseCommandLine({"tarvendo"});
    ASSERT_TRUE(std::holds_alternative<AppOptions>(defaults));
    EXPECT_EQ(std::get<AppOptions>(defaults).clientServerPort, 51000);
    EXPECT_FALSE(std::get<AppOptions>(defaults).serverAddress.has_value());
    const auto chosen =
        parseCommandLine({"tarvendo", "--client-port", "51001", "--server-address", "127.0.0.1"});
    ASSERT_TRUE(std::holds_alternative<AppOptions>(chosen));
    EXPECT_EQ(std::get<AppOptions>(chosen).clientServerPort, 51001);
    EXPECT_EQ(std::get<AppOptions>(chosen).serverAddress, "127.0.0.1");
    for (const char* port : {"0", "65536", "x", "-1"}) {
        const auto refused = parseCommandLine({"tarvendo", "--client-port", port});
        ASSERT_TRUE(std::holds_alternative<PrintAndExit>(refused)) << port;
        EXPECT_EQ(std::get<PrintAndExit>(refused).status, 2);
    }
    EXPECT_EQ(std::get<PrintAndExit>(parseCommandLine({"tarvendo", "--help"})).status, 0);
    EXPECT_EQ(std::get<PrintAndExit>(parseCommandLine({"tarvendo", "--bogus"})).status, 2);
}

// The real quit path: the application's event loop must end although the
// main window refuses to close on its own.
TEST(ApplicationQuitTest, TerminationEndsTheEventLoop) {
    AppDelegate delegate{AppOptions{0, std::nullopt, {}}};
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    delegate.window()->show();
    QTimer::singleShot(0, delegate.window(), [&] { delegate.applicationShouldTerminate(); });
    QTimer::singleShot(5000, delegate.window(), [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace tarvendo::client
