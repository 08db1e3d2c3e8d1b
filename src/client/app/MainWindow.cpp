#include "client/app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

#include <algorithm>

#include "client/app/HelpTexts.h"
#include "client/qt/ElidedLabel.h"
#include "client/results/DealTracker.h"
#include "client/results/HistoryExport.h"
#include "client/results/HistoryPanel.h"
#include "client/table/AutoOpen.h"
#include "client/table/MainView.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"

namespace tarvendo::client {

namespace {

constexpr double kLargestScale = 2;

}  // namespace

MainWindow::MainWindow(ClientSession& session, std::function<void()> terminationRequest,
                       QWidget* parent)
    : QMainWindow(parent),
      terminationRequest_(std::move(terminationRequest)),
      dealTitle_(new ElidedLabel),
      connectionStatus_(new QLabel),
      mainView_(new MainView(session)),
      historyPanel_(new HistoryPanel(*mainView_->workspace()->dealTracker(), this)) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(4);
    dealTitle_->setObjectName("dealTitle");
    dealTitle_->setAlignment(Qt::AlignCenter);
    QFont font = dealTitle_->font();
    font.setPixelSize(16);
    font.setBold(true);
    dealTitle_->setFont(font);
    layout->addWidget(dealTitle_);
    layout->addWidget(mainView_, 1);
    connectionStatus_->setObjectName("connectionStatus");
    connectionStatus_->setAlignment(Qt::AlignCenter);
    connectionStatus_->setStyleSheet("QLabel { background: #b00020; color: white; padding: 6px; }");
    connectionStatus_->hide();
    layout->addWidget(connectionStatus_);
    setCentralWidget(content);
    addDockWidget(Qt::BottomDockWidgetArea, historyPanel_);
    buildMenus();
}

void MainWindow::buildMenus() {
    buildFileMenu();
    buildGameMenu();
    buildViewMenu();
    buildHelpMenu();
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& text, const QString& name,
                                const QKeySequence& shortcut, const std::function<void()>& run) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [run] { run(); });
    return action;
}

void MainWindow::buildFileMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    addCommand(file, "&Export History…", "exportHistory", Qt::CTRL | Qt::Key_E, [this] {
        exportHistoryWithDialog(this, mainView_->workspace()->dealTracker()->history().deals());
    });
    file->addSeparator();
    addCommand(file, "Log &Out", "logOut", {}, [this] { terminationRequest_(); });
    QAction* quit =
        addCommand(file, "&Quit", "quit", QKeySequence::Quit, [this] { terminationRequest_(); });
    quit->setShortcutContext(Qt::ApplicationShortcut);
}

void MainWindow::buildGameMenu() {
    ToolBar* toolBar = mainView_->toolBar();
    QMenu* game = menuBar()->addMenu("&Game");
    for (const ToolBar::Segment segment :
         {ToolBar::initSegment, ToolBar::playSegment, ToolBar::openSegment}) {
        game->addAction(toolBar->action(segment));
    }
    game->addSeparator();
    game->addAction(toolBar->autoOpen()->action());
    // Only the admin has these commands; the menu goes with them.
    QAction* init = toolBar->action(ToolBar::initSegment);
    game->menuAction()->setVisible(init->isVisible());
    connect(init, &QAction::visibleChanged, this,
            [game, init] { game->menuAction()->setVisible(init->isVisible()); });
}

void MainWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu("&View");
    QAction* history = historyPanel_->toggleViewAction();
    history->setText("&History");
    history->setObjectName("history");
    history->setShortcut(Qt::CTRL | Qt::Key_H);
    view->addAction(history);
    fullScreen_ = addCommand(view, "&Full Screen", "fullScreen", Qt::Key_F11, [this] {
        if (fullScreen_->isChecked()) {
            showFullScreen();
        } else {
            showNormal();
        }
    });
    fullScreen_->setCheckable(true);
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu("&Help");
    addCommand(help, "&Keyboard Shortcuts", "keyboardShortcuts", {},
               [this] { showHelp(this, "Keyboard Shortcuts", keyboardShortcutsText()); });
    addCommand(help, "&About Tarvendo Base", "about", {},
               [this] { showHelp(this, "About Tarvendo Base", aboutText()); });
}

void MainWindow::setDefaultSize(QSize size) {
    defaultSize_ = size;
    mainView_->setTableScale(tableScale(this->size(), defaultSize_));
}

double MainWindow::tableScale(QSize size, QSize defaultSize) {
    if (defaultSize.isEmpty()) {
        return 1;
    }
    const double ratio = std::min(double(size.width()) / defaultSize.width(),
                                  double(size.height()) / defaultSize.height());
    return std::clamp(ratio, 1.0, kLargestScale);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    mainView_->setTableScale(tableScale(size(), defaultSize_));
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && fullScreen_ != nullptr) {
        fullScreen_->setChecked(isFullScreen());
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window stays until the logout exchange has run.
    event->ignore();
    terminationRequest_();
}

}  // namespace tarvendo::client
