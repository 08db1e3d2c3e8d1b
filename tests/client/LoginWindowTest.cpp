#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include "ClientTestSupport.h"
#include "Exchange.h"
#include "Frame.h"
#include "GameServerConnection.h"
#include "LoginWindowController.h"
#include "NotificationCenter.h"
#include "Settings.h"
#include "Shared.h"

namespace tarvendo::client {
namespace {

using test::AlertRecorder;

// A game server that answers every login with the answer given, on one
// connection at a time, and records the login data it received.
class LoginServer {
public:
    explicit LoginServer(Answer answer) : answer_(std::move(answer)) {
        worker_ = std::thread([this] {
            while (std::shared_ptr<Socket> connection = test::acceptOne(listener_, 2000)) {
                keep(connection);
                while (const std::optional<ByteBuffer> frame = readFrame(*connection)) {
                    record(*frame);
                    writeFrame(*connection, *answer_.json());
                }
                if (done_) {
                    return;
                }
            }
        });
    }
    ~LoginServer() {
        done_ = true;
        listener_.socket->shutdown();
        {
            const std::lock_guard lock(mutex_);
            if (connection_) {
                connection_->shutdown();
            }
        }
        worker_.join();
    }
    Address address() const { return {"127.0.0.1", listener_.port}; }
    std::vector<Request> requests() {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void keep(std::shared_ptr<Socket> connection) {
        const std::lock_guard lock(mutex_);
        connection_ = std::move(connection);
    }
    void record(const ByteBuffer& frame) {
        const std::lock_guard lock(mutex_);
        requests_.push_back(*Request::usingJson(frame));
    }

    const Answer answer_;
    test::Listener listener_ = test::makeListener();
    std::mutex mutex_;
    std::vector<Request> requests_;       // guarded by mutex_
    std::shared_ptr<Socket> connection_;  // guarded by mutex_
    std::atomic<bool> done_{false};
    std::thread worker_;
};

Answer okAnswer(std::optional<ByteBuffer> names) {
    return Answer{0, AnswerMessage::OK, "tok-1", "Sprint 12", std::move(names)};
}

class LoginWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Keeps the user's own settings out of reach of the tests.
        static QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }
    void SetUp() override {
        Shared::reset();
        storeServerAddress("10.1.2.3");
        window.show();
        observer.registerEvent(Event::playerDidAdd, [this](const Notification& n) {
            posted.push_back("playerDidAdd:" +
                             n.userInfo.get<std::string>("player_name").value_or("?"));
        });
        observer.registerEvent(Event::loginSuccess,
                               [this](const Notification&) { posted.push_back("loginSuccess"); });
        observer.registerEvent(Event::loginFailed,
                               [this](const Notification&) { posted.push_back("loginFailed"); });
    }
    void TearDown() override {
        observer.removeObservers();
        closeGameServerConnection();
        Shared::reset();
    }

    template <class T>
    T* field(const char* name) {
        return window.findChild<T*>(name);
    }
    void fill(const QString& name, const QString& address, const QString& port) {
        field<QLineEdit>("userName")->setText(name);
        field<QLineEdit>("serverAddress")->setText(address);
        field<QLineEdit>("serverPort")->setText(port);
    }
    void fillFor(const LoginServer& server, const QString& name) {
        fill(name, "127.0.0.1", QString::number(server.address().port));
    }
    QStringList alertMessages() const {
        QStringList messages;
        for (const auto& alert : alerts.alerts()) {
            messages << alert.message + " / " + alert.informative;
        }
        return messages;
    }

    AlertRecorder alerts;
    LoginWindowController window{51000};
    EventObserver observer;
    std::vector<std::string> posted;
};

TEST_F(LoginWindowTest, FirstActivationShowsManualModeWithTheStoredAddress) {
    EXPECT_EQ(field<QLineEdit>("serverAddress")->text(), "10.1.2.3");
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50000");
    EXPECT_TRUE(field<QLineEdit>("gameName")->isReadOnly());
    EXPECT_TRUE(field<QLineEdit>("gameName")->text().isEmpty());
    EXPECT_FALSE(field<QComboBox>("serversPopup")->isVisible());
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("userName"));
}

TEST_F(LoginWindowTest, PresetAddressStandsInForTheStoredOne) {
    LoginWindowController preset(51000, QString("127.0.0.1"));
    preset.show();
    EXPECT_EQ(preset.findChild<QLineEdit*>("serverAddress")->text(), "127.0.0.1");
    EXPECT_EQ(storedServerAddress(), "10.1.2.3") << "the stored address is left alone";
}

TEST_F(LoginWindowTest, NamesAreCapitalisedAsTyped) {
    QLineEdit* name = field<QLineEdit>("userName");
    QTest::sendKeyEvent(QTest::Press, name, Qt::Key_Eacute, QString("é"), Qt::NoModifier);
    QTest::keyClicks(name, "va");
    EXPECT_EQ(name->text(), "Éva");
    name->clear();
    EXPECT_EQ(name->text(), "");
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("gameName"));
    QTest::keyClicks(field<QLineEdit>("gameName"), "sprint");
    EXPECT_EQ(field<QLineEdit>("gameName")->text(), "Sprint");
    field<QCheckBox>("adminCheckBox")->setChecked(false);
    EXPECT_TRUE(field<QLineEdit>("gameName")->text().isEmpty());
}

TEST_F(LoginWindowTest, ChecksRunInOrderAndStopAtTheFirstFailure) {
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"", "192.168.1.300", "50000"},
         "Invalid server address / Try to enter valid server address or exit."},
        {{"", "server.local", "50000"},
         "Invalid server address / Try to enter valid server address or exit."},
        {{"", "127.0.0.1", "port"},
         "Invalid server address / Try to enter valid server address or exit."},
        {{"", "127.0.0.1", ""},
         "Invalid server address / Try to enter valid server address or exit."},
        {{"", "127.0.0.1", "70000"},
         "Invalid server address / Try to enter valid server address or exit."},
        {{"  ", "127.0.0.1", "50000"},
         "Player's name is empty. / Without name you can't start to play."},
    };
    for (const auto& [form, expected] : cases) {
        const std::size_t before = alerts.alerts().size();
        fill(form[0], form[1], form[2]);
        window.okDidClick();
        ASSERT_EQ(alerts.alerts().size(), before + 1) << form.join("|").toStdString();
        EXPECT_EQ(alertMessages().back(), expected);
    }
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("userName"));
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    fill("Ann", "127.0.0.1", "50000");
    window.okDidClick();
    EXPECT_EQ(alertMessages().back(),
              "No game name given. / As admin you have to enter the name of the game.");
    EXPECT_TRUE(posted.empty());
}

TEST_F(LoginWindowTest, UnreachableServerIsReported) {
    const std::int32_t closedPort = test::makeListener().port;
    fill("Ann", "127.0.0.1", QString::number(closedPort));
    window.okDidClick();
    EXPECT_EQ(
        alertMessages(),
        QStringList{"Can't connect to the server. / Correct server data and try again, or exit"});
    EXPECT_FALSE(isConnectedToServer.load());
}

TEST_F(LoginWindowTest, RefusalsShowTheirAlerts) {
    const std::vector<std::pair<AnswerMessage, QString>> cases = {
        {AnswerMessage::adminNotLoggedIn, "Can't start the game. / No admin for the game."},
        {AnswerMessage::adminAlreadyLoggenIn,
         "Can't login the admin. / Admin is logged in already."},
        {AnswerMessage::userNameAlreadyInUse,
         "Can't login with this name. / This name is already in use."},
        {AnswerMessage::invalidData, ""},
    };
    for (const auto& [message, expected] : cases) {
        LoginServer server(Answer{3, message, "", {}, {}});
        const std::size_t before = alerts.alerts().size();
        fillFor(server, "Ann");
        window.okDidClick();
        EXPECT_EQ(alerts.alerts().size(), before + (expected.isEmpty() ? 0 : 1));
        if (!expected.isEmpty()) {
            EXPECT_EQ(alertMessages().back(), expected);
        }
        closeGameServerConnection();
    }
    EXPECT_TRUE(posted.empty());
    EXPECT_FALSE(Shared::token().has_value());
}

TEST_F(LoginWindowTest, SecondAttemptReusesTheConnectionAndStoresTheNewAddress) {
    LoginServer server(Answer{3, AnswerMessage::userNameAlreadyInUse, "", {}, {}});
    fillFor(server, "Ann");
    window.okDidClick();
    EXPECT_EQ(storedServerAddress(), "127.0.0.1");
    fill("Bob", "127.0.0.2", "1");  // the connection made before is used
    window.okDidClick();
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(storedServerAddress(), "127.0.0.2");
    EXPECT_EQ(alerts.alerts().size(), 2U);
}

TEST_F(LoginWindowTest, SuccessfulPlayerLoginFillsTheSessionAndAnnouncesPlayers) {
    LoginServer server(okAnswer(ByteBuffer::fromText(R"(["Ann","Bob"])")));
    fillFor(server, "  Ann \n");
    window.okDidClick();
    EXPECT_EQ(posted,
              (std::vector<std::string>{"playerDidAdd:Ann", "playerDidAdd:Bob", "loginSuccess"}));
    EXPECT_EQ(Shared::token(), "tok-1");
    EXPECT_EQ(Shared::gameName(), "Sprint 12");
    EXPECT_EQ(Shared::playerName(), "Ann");
    EXPECT_FALSE(Shared::isAdmin());
    const std::vector<Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].request, RequestCode::loginPlayer);
    EXPECT_FALSE(requests[0].token.has_value());
    EXPECT_EQ(Json::parse(requests[0].data->text()),
              (Json{{"player_name", "Ann"}, {"game_name", ""}, {"client_server_port", 51000}}));
}

TEST_F(LoginWindowTest, AdminLoginSendsTheGameNameAndIgnoresOddPlayerLists) {
    LoginServer server(okAnswer(ByteBuffer::fromText(R"(["Ann",5])")));
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    fillFor(server, "Ann");
    field<QLineEdit>("gameName")->setText("Sprint 12 ");
    window.okDidClick();
    EXPECT_EQ(posted, std::vector<std::string>{"loginSuccess"});
    EXPECT_TRUE(Shared::isAdmin());
    EXPECT_EQ(server.requests().at(0).request, RequestCode::loginAdmin);
    EXPECT_EQ(Json::parse(server.requests().at(0).data->text())["game_name"], "Sprint 12");
}

TEST_F(LoginWindowTest, EscapeAndCancelPostLoginFailed) {
    QTest::keyClick(&window, Qt::Key_Escape);
    window.cancelDidClick();
    EXPECT_EQ(posted, (std::vector<std::string>{"loginFailed", "loginFailed"}));
}

TEST_F(LoginWindowTest, DiscoveryResultsFillThePopupAndItsPort) {
    field<QCheckBox>("bonjourCheckBox")->setChecked(true);
    QComboBox* popup = field<QComboBox>("serversPopup");
    EXPECT_EQ(popup->currentText(), "No data");
    window.okDidClick();
    EXPECT_EQ(alertMessages().back(),
              "Invalid server address / Try to enter valid server address or exit.");
    NotificationCenter::defaultCenter().post(
        Event::bonjoureServerFound,
        UserInfo().setAddresses("addresses", {{"192.168.0.5", 50001}, {"192.168.0.6", 50002}}));
    ASSERT_TRUE(test::waitUntil([&] { return popup->count() == 2; }));
    EXPECT_EQ(popup->currentText(), "192.168.0.5");
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50001");
    popup->setCurrentIndex(1);
    emit popup->activated(1);
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50002");
}

TEST_F(LoginWindowTest, NothingFoundFallsBackToManualModeAfterTheAlert) {
    field<QCheckBox>("bonjourCheckBox")->setChecked(true);
    NotificationCenter::defaultCenter().post(Event::bonjoureServerNotFound);
    ASSERT_TRUE(test::waitUntil([&] { return !alerts.alerts().empty(); }));
    EXPECT_EQ(alertMessages(), QStringList{"Server not found / Enter data manually."});
    EXPECT_FALSE(field<QCheckBox>("bonjourCheckBox")->isChecked());
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50000");
    EXPECT_EQ(field<QLineEdit>("serverAddress")->text(), "10.1.2.3");
}

}  // namespace
}  // namespace tarvendo::client
