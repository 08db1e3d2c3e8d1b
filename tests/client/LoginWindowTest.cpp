#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "ClientTestSupport.h"
#include "client/login/LoginWindowController.h"
#include "client/login/Settings.h"
#include "protocol/Exchange.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"
#include "transport/GameServerConnection.h"

namespace tarvendo::client {
namespace {

const QString kInvalidAddress =
    "Invalid server address / Try to enter valid server address or exit.";

Answer okAnswer(const char* names) {
    return Answer{0, AnswerMessage::OK, "tok-1", "Sprint 12", ByteBuffer::fromText(names)};
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
        for (const auto& [event, name] : {std::pair{Event::loginSuccess, "loginSuccess"},
                                          std::pair{Event::loginFailed, "loginFailed"}}) {
            observer.registerEvent(
                event, [this, name](const Notification&) { posted.emplace_back(name); });
        }
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
    void logInTo(const QString& name) {
        fill(name, "127.0.0.1", QString::number(server.address().port));
        window.okDidClick();
    }
    Json sentData(std::size_t request) {
        return Json::parse(server.requests().at(request).data->text());
    }
    QString lastAlert() const {
        const auto& alert = alerts.alerts().back();
        return alert.message + " / " + alert.informative;
    }

    test::AlertRecorder alerts;
    test::SubstituteGameServer server;
    LoginWindowController window{51000};
    EventObserver observer;
    std::vector<std::string> posted;
};

TEST_F(LoginWindowTest, FirstActivationShowsManualModeWithTheStoredOrPresetAddress) {
    EXPECT_EQ(field<QLineEdit>("serverAddress")->text(), "10.1.2.3");
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50000");
    EXPECT_TRUE(field<QLineEdit>("gameName")->isReadOnly());
    EXPECT_TRUE(field<QLineEdit>("gameName")->text().isEmpty());
    EXPECT_FALSE(field<QComboBox>("serversPopup")->isVisible());
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("userName"));

    LoginWindowController preset(51000, QString("127.0.0.1"));
    preset.show();
    EXPECT_EQ(preset.findChild<QLineEdit*>("serverAddress")->text(), "127.0.0.1");
    EXPECT_EQ(storedServerAddress(), "10.1.2.3") << "the stored address is left alone";
}

TEST_F(LoginWindowTest, NamesAreCapitalisedAsTypedAndAdminMovesTheFocus) {
    QLineEdit* name = field<QLineEdit>("userName");
    QTest::sendKeyEvent(QTest::Press, name, Qt::Key_Eacute, QString("é"), Qt::NoModifier);
    QTest::keyClicks(name, "va");
    EXPECT_EQ(name->text(), "Éva");
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("gameName"));
    QTest::keyClicks(field<QLineEdit>("gameName"), "sprint");
    EXPECT_EQ(field<QLineEdit>("gameName")->text(), "Sprint");
    field<QCheckBox>("adminCheckBox")->setChecked(false);
    EXPECT_TRUE(field<QLineEdit>("gameName")->text().isEmpty());
}

TEST_F(LoginWindowTest, ChecksRunInOrderAndStopAtTheFirstFailure) {
    const QString emptyName = "Player's name is empty. / Without name you can't start to play.";
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"", "192.168.1.300", "50000"}, kInvalidAddress},
        {{"", "server.local", "50000"}, kInvalidAddress},
        {{"", "127.0.0.1", "port"}, kInvalidAddress},
        {{"", "127.0.0.1", ""}, kInvalidAddress},
        {{"", "127.0.0.1", "70000"}, kInvalidAddress},
        {{"  ", "127.0.0.1", "50000"}, emptyName},
    };
    for (const auto& [form, expected] : cases) {
        SCOPED_TRACE(form.join("|").toStdString());
        const std::size_t before = alerts.alerts().size();
        fill(form[0], form[1], form[2]);
        window.okDidClick();
        ASSERT_EQ(alerts.alerts().size(), before + 1);
        EXPECT_EQ(lastAlert(), expected);
    }
    EXPECT_EQ(window.focusWidget(), field<QLineEdit>("userName"));
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    fill("Ann", "127.0.0.1", "50000");
    window.okDidClick();
    EXPECT_EQ(lastAlert(),
              "No game name given. / As admin you have to enter the name of the game.");

    fill("Ann", "127.0.0.1", QString::number(test::makeListener().port));  // closed again
    field<QLineEdit>("gameName")->setText("Sprint");
    window.okDidClick();
    EXPECT_EQ(lastAlert(),
              "Can't connect to the server. / Correct server data and try again, or exit");
    EXPECT_FALSE(isConnectedToServer.load());
    EXPECT_TRUE(posted.empty());
}

// Every attempt after the first reuses the connection, whatever the form now
// names, and stores the address the form names.
TEST_F(LoginWindowTest, RefusalsShowTheirAlertsAndLaterAttemptsReuseTheConnection) {
    const std::vector<std::pair<AnswerMessage, QString>> cases = {
        {AnswerMessage::adminNotLoggedIn, "Can't start the game. / No admin for the game."},
        {AnswerMessage::adminAlreadyLoggenIn,
         "Can't login the admin. / Admin is logged in already."},
        {AnswerMessage::userNameAlreadyInUse,
         "Can't login with this name. / This name is already in use."},
        {AnswerMessage::invalidData, ""},
    };
    for (std::size_t attempt = 0; attempt < cases.size(); ++attempt) {
        const auto& [message, expected] = cases[attempt];
        SCOPED_TRACE(attempt);
        server.answerNext(message, 3);
        const std::size_t before = alerts.alerts().size();
        if (attempt == 0) {
            logInTo("Ann");
            EXPECT_EQ(storedServerAddress(), "127.0.0.1");
        } else {
            fill("Bob", "127.0.0.2", "1");
            window.okDidClick();
        }
        ASSERT_EQ(alerts.alerts().size(), before + (expected.isEmpty() ? 0 : 1));
        if (!expected.isEmpty()) {
            EXPECT_EQ(lastAlert(), expected);
        }
    }
    EXPECT_EQ(server.requests().size(), cases.size());
    EXPECT_EQ(storedServerAddress(), "127.0.0.2");
    EXPECT_TRUE(posted.empty());
    EXPECT_FALSE(Shared::token().has_value());
}

TEST_F(LoginWindowTest, SuccessfulPlayerLoginFillsTheSessionAndAnnouncesPlayers) {
    server.answerNext(okAnswer(R"(["Ann","Bob"])"));
    logInTo("  Ann \n");
    EXPECT_EQ(posted,
              (std::vector<std::string>{"playerDidAdd:Ann", "playerDidAdd:Bob", "loginSuccess"}));
    EXPECT_EQ(Shared::token(), "tok-1");
    EXPECT_EQ(Shared::gameName(), "Sprint 12");
    EXPECT_EQ(Shared::playerName(), "Ann");
    EXPECT_FALSE(Shared::isAdmin());
    ASSERT_EQ(server.requests().size(), 1U);
    EXPECT_EQ(server.requests()[0].request, RequestCode::loginPlayer);
    EXPECT_FALSE(server.requests()[0].token.has_value());
    EXPECT_EQ(sentData(0),
              (Json{{"player_name", "Ann"}, {"game_name", ""}, {"client_server_port", 51000}}));
}

TEST_F(LoginWindowTest, AdminLoginSendsTheGameNameAndIgnoresOddPlayerLists) {
    server.answerNext(okAnswer(R"(["Ann",5])"));
    field<QCheckBox>("adminCheckBox")->setChecked(true);
    field<QLineEdit>("gameName")->setText("Sprint 12 ");
    logInTo("Ann");
    EXPECT_EQ(posted, std::vector<std::string>{"loginSuccess"});
    EXPECT_TRUE(Shared::isAdmin());
    EXPECT_EQ(server.requests().at(0).request, RequestCode::loginAdmin);
    EXPECT_EQ(sentData(0)["game_name"], "Sprint 12");
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
    EXPECT_EQ(lastAlert(), kInvalidAddress);
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
    EXPECT_EQ(lastAlert(), "Server not found / Enter data manually.");
    EXPECT_FALSE(field<QCheckBox>("bonjourCheckBox")->isChecked());
    EXPECT_EQ(field<QLineEdit>("serverPort")->text(), "50000");
    EXPECT_EQ(field<QLineEdit>("serverAddress")->text(), "10.1.2.3");
}

}  // namespace
}  // namespace tarvendo::client
