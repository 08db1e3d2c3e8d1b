#include <QGuiApplication>
#include <QLabel>
#include <QTimer>

#include "ClientTestSupport.h"
#include "client/app/AppDelegate.h"
#include "client/app/CommandLine.h"
#include "client/app/ConnectionStatus.h"
#include "client/app/MainWindow.h"
#include "client/login/LoginWindowController.h"
#include "protocol/Exchange.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"
#include "transport/Frame.h"
#include "transport/GameServerConnection.h"

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

TEST_F(AppDelegateTest, CompletedLoginTitlesTheWindowAndTheDealLineFollowsPushedDeals) {
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
    void SetUp() override {
        AppDelegateTest::SetUp();
        ASSERT_TRUE(connectToGameServer(server.address()));
        Shared::setToken(std::string("tok"));
    }
    test::SubstituteGameServer server;
};

TEST_F(TerminationTest, OkLogoutForgetsTheTokenClosesAndQuits) {
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
    server.answerNext(AnswerMessage::invalidToken, 4);
    delegate.applicationShouldTerminate();
    delegate.applicationShouldTerminate();  // a second quit command changes nothing
    ASSERT_TRUE(quitWithin(2s));
    EXPECT_EQ(Shared::token(), "tok");
    EXPECT_FALSE(isConnectedToServer.load());
    test::runQueuedTasks();
    EXPECT_EQ(quits, 1);
}

// Pushes arrive before any login; an open push connection must not hold up
// quitting.
TEST_F(AppDelegateTest, LaunchShowsTheLoginWindowAndListensForPushesUntilTheQuit) {
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

    delegate.applicationShouldTerminate();
    EXPECT_TRUE(quitWithin(3s));
    EXPECT_FALSE(push->readData(1).has_value()) << "the client server has closed its side";
    EXPECT_FALSE(push->lastReadTimedOut()) << "closed, not merely silent";
}

TEST_F(TerminationTest, LostGameServerShowsAStatusLineAndQuittingStillEnds) {
    QLabel* status = delegate.window()->connectionStatus();
    logIn("Ann", true);
    const Request play{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_TRUE(exchange(play).has_value());
    EXPECT_TRUE(status->isHidden());
    server.goAway();
    EXPECT_FALSE(exchange(play).has_value());
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), ConnectionStatus::kLostText);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr)
        << "the busy cursor ends with the exchange";
    delegate.applicationShouldTerminate();
    EXPECT_TRUE(quitWithin(3s));
    EXPECT_EQ(Shared::token(), "tok");
}

TEST_F(AppDelegateTest, CancelAtLoginClosesBothWindowsAndQuits) {
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
    const auto defaults = std::get<AppOptions>(parseCommandLine({"tarvendo"}));
    EXPECT_EQ(defaults.clientServerPort, 51000);
    EXPECT_FALSE(defaults.serverAddress.has_value());
    const auto chosen = std::get<AppOptions>(
        parseCommandLine({"tarvendo", "--client-port", "51001", "--server-address", "127.0.0.1"}));
    EXPECT_EQ(chosen.clientServerPort, 51001);
    EXPECT_EQ(chosen.serverAddress, "127.0.0.1");
    const std::vector<std::pair<QStringList, int>> exits{{{"--client-port", "0"}, 2},
                                                         {{"--client-port", "65536"}, 2},
                                                         {{"--client-port", "x"}, 2},
                                                         {{"--client-port", "-1"}, 2},
                                                         {{"--help"}, 0},
                                                         {{"--bogus"}, 2}};
    for (const auto& [arguments, status] : exits) {
        SCOPED_TRACE(arguments.join(" ").toStdString());
        const auto parsed = parseCommandLine(QStringList{"tarvendo"} + arguments);
        ASSERT_TRUE(std::holds_alternative<PrintAndExit>(parsed));
        EXPECT_EQ(std::get<PrintAndExit>(parsed).status, status);
    }
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
