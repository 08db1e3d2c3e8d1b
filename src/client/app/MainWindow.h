#pragma once

#include <QMainWindow>
#include <functional>

class QLabel;

namespace tarvendo::client {

class ClientSession;
class HistoryPanel;
class MainView;

// The main window: the deal title line above the game table, the history
// beside it when asked for, and the menus File, Game (the admin's), View and
// Help. Log Out, Quit and closing it ask the application to terminate.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(ClientSession& session, std::function<void()> terminationRequest,
               QWidget* parent = nullptr);

    QLabel* dealTitle() const { return dealTitle_; }
    // Hidden until there is something to say about the game server connection.
    QLabel* connectionStatus() const { return connectionStatus_; }
    MainView* mainView() const { return mainView_; }
    HistoryPanel* historyPanel() const { return historyPanel_; }
    // The size given at launch: there the table has its exact figures, and
    // its cards and names grow with the window up to twice that.
    void setDefaultSize(QSize size);
    // 1 at the default size, up to 2; the smaller of the width's and the
    // height's ratio, so the table keeps its proportions.
    static double tableScale(QSize size, QSize defaultSize);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildFileMenu();
    void buildGameMenu();
    void buildViewMenu();
    void buildHelpMenu();
    QAction* addCommand(QMenu* menu, const QString& text, const QString& name,
                        const QKeySequence& shortcut, const std::function<void()>& run);

    std::function<void()> terminationRequest_;
    QLabel* dealTitle_;
    QLabel* connectionStatus_;
    MainView* mainView_;
    HistoryPanel* historyPanel_;
    QAction* fullScreen_ = nullptr;
    QSize defaultSize_;
};

}  // namespace tarvendo::client
