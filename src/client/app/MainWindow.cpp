#include "client/app/MainWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

#include "client/qt/ElidedLabel.h"
#include "client/table/MainView.h"

namespace tarvendo::client {

MainWindow::MainWindow(ClientSession& session, std::function<void()> terminationRequest,
                       QWidget* parent)
    : QMainWindow(parent),
      terminationRequest_(std::move(terminationRequest)),
      dealTitle_(new ElidedLabel),
      connectionStatus_(new QLabel),
      mainView_(new MainView(session)) {
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
    buildMenu();
}

void MainWindow::buildMenu() {
    QMenu* game = menuBar()->addMenu("&Game");
    QAction* logout = game->addAction("Log &Out");
    connect(logout, &QAction::triggered, this, [this] { terminationRequest_(); });
    QAction* quit = game->addAction("&Quit");
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(quit, &QAction::triggered, this, [this] { terminationRequest_(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window stays until the logout exchange has run.
    event->ignore();
    terminationRequest_();
}

}  // namespace tarvendo::client
