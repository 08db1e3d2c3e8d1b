#pragma once

#include <QWidget>

#include "session/EventObserver.h"

namespace tarvendo::client {

class ClientSession;
class ToolBar;
class Workspace;

// The main window's content: the admin's toolbar along the top, shown once
// the login says the user is the admin, and the workspace filling the rest.
class MainView : public QWidget {
public:
    explicit MainView(ClientSession& session, QWidget* parent = nullptr);
    ~MainView() override;

    ToolBar* toolBar() const { return toolBar_; }
    Workspace* workspace() const { return workspace_; }
    // The table's cards and names for a window that many times its default size.
    void setTableScale(double scale);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void userDidLogIn(bool isAdmin);
    void layOutChildren();

    ToolBar* toolBar_;
    Workspace* workspace_;
    EventObserver observers_;
};

}  // namespace tarvendo::client
