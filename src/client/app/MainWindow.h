#pragma once

#include <QMainWindow>
#include <functional>

class QLabel;

namespace tarvendo::client {

class ClientSession;
class MainView;

// The main window: the deal title line above the game table, and the game
// menu with Log Out and Quit. Closing it asks the application to terminate.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(ClientSession& session, std::function<void()> terminationRequest,
               QWidget* parent = nullptr);

    QLabel* dealTitle() const { return dealTitle_; }
    // Hidden until there is something to say about the game server connection.
    QLabel* connectionStatus() const { return connectionStatus_; }
    MainView* mainView() const { return mainView_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();

    std::function<void()> terminationRequest_;
    QLabel* dealTitle_;
    QLabel* connectionStatus_;
    MainView* mainView_;
};

}  // namespace tarvendo::client
