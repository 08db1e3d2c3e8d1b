#include "client/app/AppDelegate.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <cmath>
#include <utility>

#include "client/app/ConnectionStatus.h"
#include "client/app/MainWindow.h"
#include "client/app/Reconnector.h"
#include "client/login/LoginWindowController.h"
#include "client/qt/ElidedLabel.h"
#include "client/qt/Text.h"
#include "session/ClientServerThread.h"
#include "session/MainQueue.h"
#include "transport/ServingThread.h"

namespace tarvendo::client {

namespace {

constexpr double kWidthFactor = 0.7;
constexpr double kHeightFactor = 0.8;
constexpr double kCentringFactor = 0.5;
constexpr double kTerminationDelay = 0.1;
// A name of up to 64 characters would crowd the title bar.
constexpr int kTitleNameCharacters = 32;

// White space and line breaks in the Unicode sense, as the form fields trim.
bool isBlank(const std::string& text) {
    return qText(text).trimmed().isEmpty();
}

}  // namespace

AppDelegate::AppDelegate(AppOptions options)
    : options_(std::move(options)),
      window_(std::make_unique<MainWindow>(session_, [this] { applicationShouldTerminate(); })),
      observers_(session_.center()) {}

AppDelegate::~AppDelegate() {
    session_.connection().setWatcher(nullptr);
    observers_.removeObservers();
    stopClientServer();
}

QRect mainWindowGeometry(QSize screen) {
    const double width = kWidthFactor * screen.width();
    const double height = kHeightFactor * screen.height();
    // Rounded, not truncated: 0.7 x 1440 is 1007.9999... in floating point.
    const auto pixels = [](double value) {
        return static_cast<int>(std::lround(value));
    };
    return {pixels((screen.width() - width) * kCentringFactor),
            pixels((screen.height() - height) * kCentringFactor), pixels(width), pixels(height)};
}

void AppDelegate::applicationWillFinishLaunching() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->setGeometry(mainWindowGeometry(screen->geometry().size()));
        window_->setDefaultSize(window_->size());
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    reconnector_ =
        std::make_unique<Reconnector>(session_, window_->connectionStatus(), window_.get());
    session_.connection().setWatcher(
        std::make_shared<ConnectionStatus>([this] { reconnector_->connectionLost(); }));
    startClientServer();
    updateDealTitle("");
    registerObservers();
    startLoginProcess();
}

void AppDelegate::startClientServer() {
    serverDelegate_ = std::make_shared<ClientServerDelegate>(session_.pushReceiver());
    // Without it no pushes arrive; the rest still works.
    clientServer_ =
        ServingThread::start(Server::create(serverDelegate_, clientServerLimits(session_.shared())),
                             options_.clientServerPort);
}

std::optional<std::int32_t> AppDelegate::clientServerPort() const {
    return clientServer_ ? std::optional(clientServer_->port()) : std::nullopt;
}

void AppDelegate::stopClientServer() {
    if (clientServer_) {
        clientServer_->stop();
    }
}

void AppDelegate::registerObservers() {
    // Login results come from the login window on the main thread; deal
    // titles come from a connection thread and only compute text there.
    observers_.registerEvent(Event::loginFailed, [this](const Notification&) { loginFailed(); });
    observers_.registerEvent(Event::loginSuccess, [this](const Notification&) { userLoggedIn(); });
    observers_.registerEvent(Event::initNewDeal, [this](const Notification& notification) {
        if (const auto title = notification.userInfo.get<std::string>("title")) {
            updateDealTitle(*title);
        }
    });
}

void AppDelegate::startLoginProcess() {
    loginWindowController_ = std::make_unique<LoginWindowController>(
        session_, options_.clientServerPort, options_.serverAddress);
    loginWindowController_->show();
    loginWindowController_->raise();
    loginWindowController_->activateWindow();
}

void AppDelegate::userLoggedIn() {
    if (loginWindowController_) {
        loginWindowController_->hide();
        if (const auto& login = loginWindowController_->lastLogin()) {
            reconnector_->watch(*login);
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    const QString name = qText(session_.shared().playerName().value_or(""));
    window_->setWindowTitle(qText(Shared::ApplicationName) + "  (" +
                            elidedInTheMiddle(name, kTitleNameCharacters) + ")");
    updateDealTitle("");
    session_.center().post(Event::userIsLoggedIn,
                           UserInfo().setBoolean("is_admin", session_.shared().isAdmin()));
}

void AppDelegate::loginFailed() {
    if (loginWindowController_) {
        loginWindowController_->hide();
    }
    window_->hide();
    applicationShouldTerminate();
}

void AppDelegate::updateDealTitle(const std::string& title) {
    std::string text;
    if (const std::optional<std::string> game = session_.shared().gameName()) {
        text = "Game: " + *game;
        if (!isBlank(title)) {
            text += ", Deal: " + title;
        }
    }
    QMetaObject::invokeMethod(
        window_->dealTitle(),
        [label = window_->dealTitle(), text = qText(text)] {
            label->setText(text);
            label->setToolTip(text);  // the label may show it elided
        },
        Qt::QueuedConnection);
}

void AppDelegate::applicationShouldTerminate() {
    if (terminating_) {
        return;  // a second quit while the logout is pending changes nothing
    }
    terminating_ = true;
    after(kTerminationDelay, [this] { terminationSequence(); });
}

void AppDelegate::terminationSequence() {
    if (reconnector_) {
        reconnector_->stop();
    }
    const Request logout{RequestCode::logout, session_.shared().token(), std::nullopt,
                         std::nullopt};
    if (const std::optional<Answer> answer =
            session_.connection().exchange(logout, kLogoutTimeout)) {
        if (answer->message == AnswerMessage::OK) {
            session_.shared().setToken(std::nullopt);
        }
        session_.connection().close();
    }
    stopClientServer();
    if (options_.quit) {
        options_.quit();
    } else {
        // exit(), not quit(): quit() asks every window to close first, and
        // the main window refuses while it waits for the logout.
        QCoreApplication::exit(0);
    }
}

}  // namespace tarvendo::client
