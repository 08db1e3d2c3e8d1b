#include "client/app/Reconnector.h"

#include <QLabel>
#include <QSocketNotifier>

#include <algorithm>
#include <array>

#include "client/ClientSession.h"
#include "client/login/LoginAlert.h"
#include "client/qt/Alert.h"

namespace tarvendo::client {

namespace {

using std::chrono::milliseconds;

constexpr std::array<milliseconds, 5> kPauses{milliseconds{500}, milliseconds{1000},
                                              milliseconds{2000}, milliseconds{4000},
                                              milliseconds{5000}};

}  // namespace

Reconnector::Reconnector(ClientSession& session, QLabel* statusLine, QWidget* alertParent)
    : session_(session),
      statusLine_(statusLine),
      alertParent_(alertParent),
      exchange_(session),
      observers_(session.center()) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { attempt(); });
    clearStatus_.setSingleShot(true);
    connect(&clearStatus_, &QTimer::timeout, this, [this] {
        if (statusLine_ && !reconnecting_) {
            statusLine_->hide();
        }
    });
    // Only the push connection of the latest login counts: the one a comeback
    // replaces closes too.
    observers_.registerEvent(Event::pushConnectionLost, [this](const Notification& posted) {
        const auto login = posted.userInfo.get<std::string>("login");
        if (login == std::to_string(session_.shared().loginCount())) {
            QMetaObject::invokeMethod(
                this, [this] { connectionLost(); }, Qt::QueuedConnection);
        }
    });
}

Reconnector::~Reconnector() {
    observers_.removeObservers();
}

void Reconnector::watch(const LoginRecord& login) {
    login_ = login;
    watchRequestConnection();
}

void Reconnector::watchRequestConnection() {
    notifier_ = std::make_unique<QSocketNotifier>(session_.connection().socket().descriptor(),
                                                  QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this,
            [this] { requestConnectionStirred(); });
}

// Between exchanges nothing is due on the request connection: it stirs when
// the game server closes it.
void Reconnector::requestConnectionStirred() {
    if (session_.connection().peerHasClosed()) {
        connectionLost();
    } else if (notifier_) {
        notifier_->setEnabled(false);  // bytes nobody asked for: not our business
    }
}

void Reconnector::connectionLost() {
    if (stopped_ || !login_ || reconnecting_) {
        return;
    }
    reconnecting_ = true;
    notifier_.reset();
    session_.connection().close();
    showStatus(kLostText);
    attempts_ = 0;
    resumeWithToken_ = true;
    retryAfter(kPauses.front());
}

void Reconnector::retryAfter(milliseconds pause) {
    retry_.start(pause);
}

void Reconnector::attempt() {
    LoginForm form = login_->form;
    form.resumeToken = resumeWithToken_ ? session_.shared().token() : std::nullopt;
    const LoginOutcome outcome =
        exchange_.login(login_->server, login_->code, form, kAttemptTimeout);
    switch (outcome) {
        case LoginOutcome::loggedIn:
            succeeded();
            return;
        case LoginOutcome::tokenRefused:
            resumeWithToken_ = false;  // the seat is gone: join as new
            retryAfter(milliseconds{0});
            return;
        case LoginOutcome::cantConnect:
        case LoginOutcome::noAnswer:
        case LoginOutcome::adminNotLoggedIn:  // the admin is not back yet
            ++attempts_;
            retryAfter(kPauses[std::min(attempts_, kPauses.size() - 1)]);
            return;
        default:
            gaveUp(outcome);
    }
}

void Reconnector::succeeded() {
    reconnecting_ = false;
    showStatus(kBackText);
    clearStatus_.start(kBackShownFor);
    watchRequestConnection();
}

void Reconnector::gaveUp(LoginOutcome outcome) {
    reconnecting_ = false;
    showStatus(kGivenUpText);
    const std::optional<LoginAlert> alert = loginAlertFor(outcome);
    showAlert(alertParent_, alert ? alert->message : QStringLiteral("Can't log in again."),
              alert ? alert->informative : QStringLiteral("Quit and log in again."));
}

void Reconnector::stop() {
    stopped_ = true;
    retry_.stop();
    notifier_.reset();
}

void Reconnector::showStatus(const QString& text) {
    if (statusLine_) {
        statusLine_->setText(text);
        statusLine_->show();
    }
}

}  // namespace tarvendo::client
