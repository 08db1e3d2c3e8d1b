#include "client/table/MainView.h"

#include "client/ClientSession.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"

namespace tarvendo::client {

MainView::MainView(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      toolBar_(new ToolBar(session, this)),
      workspace_(new Workspace(session, this)),
      observers_(session.center()) {
    // Hidden until the login tells whether the user is the admin.
    toolBar_->hide();
    observers_.registerEvent(Event::userIsLoggedIn, [this](const Notification& posted) {
        const std::optional<bool> isAdmin = posted.userInfo.get<bool>("is_admin");
        if (isAdmin) {
            QMetaObject::invokeMethod(
                this, [this, admin = *isAdmin] { userDidLogIn(admin); }, Qt::QueuedConnection);
        }
    });
    layOutChildren();
}

MainView::~MainView() {
    // Before any member goes: a block may be running on a connection thread.
    observers_.removeObservers();
}

void MainView::userDidLogIn(bool isAdmin) {
    toolBar_->setVisible(isAdmin);
    layOutChildren();
}

void MainView::setTableScale(double scale) {
    workspace_->setScale(scale);
}

void MainView::resizeEvent(QResizeEvent*) {
    layOutChildren();
}

void MainView::layOutChildren() {
    if (toolBar_->isHidden()) {
        workspace_->setGeometry(rect());
        return;
    }
    toolBar_->placeAlongTop();
    const int top = toolBar_->height();
    workspace_->setGeometry(0, top, width(), height() - top);
}

}  // namespace tarvendo::client
