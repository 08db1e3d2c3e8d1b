#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

#include "client/login/LoginExchange.h"
#include "session/EventObserver.h"

class QLabel;
class QSocketNotifier;
class QWidget;

namespace tarvendo::client {

class ClientSession;

// Keeps a logged-in client at its table when the game server goes away. It
// notices the loss at once (the request connection ends, the push connection
// of the current login closes, or an exchange finds the server gone), says
// so in the status line and logs in again by itself with its token and the
// same name, role and game, after pauses of 0.5, 1, 2 and 4 s, then every
// 5 s. Main thread only.
class Reconnector : public QObject {
public:
    static constexpr const char* kLostText = "Connection to the game server lost. Reconnecting…";
    static constexpr const char* kBackText = "Reconnected.";
    static constexpr const char* kGivenUpText =
        "Connection to the game server lost. Quit and log in again when it is back.";
    // Each attempt's connect and answer get this long, so a quit never waits long.
    static constexpr std::chrono::milliseconds kAttemptTimeout{2000};
    static constexpr std::chrono::milliseconds kBackShownFor{3000};

    Reconnector(ClientSession& session, QLabel* statusLine, QWidget* alertParent);
    ~Reconnector() override;

    // From this login on, a loss is noticed and repaired.
    void watch(const LoginRecord& login);
    // The game server is gone; nothing happens when already reconnecting.
    void connectionLost();
    // Nothing more is watched or tried: the client is quitting.
    void stop();
    bool isReconnecting() const { return reconnecting_; }

private:
    void watchRequestConnection();
    void requestConnectionStirred();
    void attempt();
    void retryAfter(std::chrono::milliseconds pause);
    void succeeded();
    void gaveUp(LoginOutcome outcome);
    void showStatus(const QString& text);

    ClientSession& session_;
    QPointer<QLabel> statusLine_;
    QPointer<QWidget> alertParent_;
    LoginExchange exchange_;
    std::optional<LoginRecord> login_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer retry_;
    QTimer clearStatus_;
    std::size_t attempts_ = 0;
    bool resumeWithToken_ = true;
    bool reconnecting_ = false;
    bool stopped_ = false;
    EventObserver observers_;  // last: removed before the fields its blocks use
};

}  // namespace tarvendo::client
