#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/ClientSession.h"
#include "session/EventObserver.h"

namespace tarvendo {
class ServerDelegate;
class ServingThread;
}  // namespace tarvendo

namespace tarvendo::client {

class LoginWindowController;
class Reconnector;
class MainWindow;

struct AppOptions {
    std::int32_t clientServerPort = 51000;
    // Shown in the login form instead of the address used last.
    std::optional<QString> serverAddress;
    // Ends the application once the logout has run; tests watch it instead.
    std::function<void()> quit;
};

// The main window on a screen of that size: 0.7 x 0.8 of it, centred.
QRect mainWindowGeometry(QSize screen);

// Starts everything: sizes the main window, runs the client server, shows
// the login window, completes the login, keeps the deal title line current,
// and logs out before the application quits.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(AppOptions options);
    ~AppDelegate() override;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    // The quit, logout and close commands and Cancel at login all end here.
    void applicationShouldTerminate();

    ClientSession& session() { return session_; }
    MainWindow* window() const { return window_.get(); }
    LoginWindowController* loginWindow() const { return loginWindowController_.get(); }
    // The port the client server listens on; absent when it could not bind.
    std::optional<std::int32_t> clientServerPort() const;

private:
    void startClientServer();
    void stopClientServer();
    void registerObservers();
    void startLoginProcess();
    void userLoggedIn();
    void loginFailed();
    void updateDealTitle(const std::string& title);
    void terminationSequence();

    const AppOptions options_;
    ClientSession session_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<LoginWindowController> loginWindowController_;
    std::unique_ptr<Reconnector> reconnector_;
    std::shared_ptr<ServerDelegate> serverDelegate_;
    std::unique_ptr<ServingThread> clientServer_;
    bool terminating_ = false;
    EventObserver observers_;  // last: removed before the members its blocks use
};

}  // namespace tarvendo::client
