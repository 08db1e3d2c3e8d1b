#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QAction;
class QCheckBox;
class QWidget;

namespace tarvendo::client {

// The admin's option to open the cards once everyone has chosen: a check box
// for the toolbar strip and an action for the menu, one setting, off until
// the admin ticks it and then remembered. The opening waits a moment, so the
// last voter sees their card land. Main thread only.
class AutoOpen : public QObject {
public:
    static constexpr std::chrono::milliseconds kPause{1000};
    static constexpr const char* kSettingKey = "openAutomatically";

    // open is what the Open segment does; canOpen tells whether it is enabled.
    AutoOpen(std::function<bool()> canOpen, std::function<void()> open, QWidget* parent);

    QCheckBox* checkBox() const { return checkBox_; }
    QAction* action() const { return action_; }
    bool isOn() const;

    // Everyone has chosen: when on, opens after the pause, if Open is still
    // enabled then (a new deal or an opening by hand switch it off).
    void cardsDidBecomeReady();

private:
    void setOn(bool on);
    void pauseDidEnd();

    const std::function<bool()> canOpen_;
    const std::function<void()> open_;
    QAction* action_;
    QCheckBox* checkBox_;
    QTimer pause_;
};

}  // namespace tarvendo::client
