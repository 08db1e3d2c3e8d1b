#pragma once

#include <QWidget>

#include "EventObserver.h"

namespace tarvendo::client {

class CardStore;
class ToolBar;
class Workspace;

// The main window's content: the admin's toolbar along the top, shown once
// the login says the user is the admin, and the workspace filling the rest.
class MainView : public QWidget {
public:
    explicit MainView(QWidget* parent = nullptr);
    // With the deck view on another deck model than the shared one.
    MainView(CardStore& cardStore, QWidget* parent);
    ~MainView() override;

    ToolBar* toolBar() const { return toolBar_; }
    Workspace* workspace() const { return workspace_; }

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
