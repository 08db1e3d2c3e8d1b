#include "client/table/AutoOpen.h"

#include <QAction>
#include <QCheckBox>

#include "client/qt/UserDefaults.h"

namespace tarvendo::client {

AutoOpen::AutoOpen(std::function<bool()> canOpen, std::function<void()> open, QWidget* parent)
    : QObject(parent),
      canOpen_(std::move(canOpen)),
      open_(std::move(open)),
      action_(new QAction(QStringLiteral("Open &Automatically When Everyone Has Chosen"), this)),
      checkBox_(new QCheckBox(QStringLiteral("Open automatically"), parent)) {
    action_->setObjectName(QStringLiteral("openAutomatically"));
    const bool on = userDefault(kSettingKey, false).toBool();
    action_->setCheckable(true);
    action_->setChecked(on);
    checkBox_->setChecked(on);
    checkBox_->setToolTip(QStringLiteral("Open the cards when everyone has chosen"));
    checkBox_->setFocusPolicy(Qt::TabFocus);
    connect(action_, &QAction::toggled, this, [this](bool checked) { setOn(checked); });
    connect(checkBox_, &QCheckBox::toggled, this, [this](bool checked) { setOn(checked); });
    pause_.setSingleShot(true);
    pause_.setInterval(kPause);
    connect(&pause_, &QTimer::timeout, this, [this] { pauseDidEnd(); });
}

bool AutoOpen::isOn() const {
    return action_->isChecked();
}

void AutoOpen::setOn(bool on) {
    // Each side only signals a change, so the two settle at once.
    action_->setChecked(on);
    checkBox_->setChecked(on);
    setUserDefault(kSettingKey, on);
    if (!on) {
        pause_.stop();
    }
}

void AutoOpen::cardsDidBecomeReady() {
    if (isOn()) {
        pause_.start();
    }
}

void AutoOpen::pauseDidEnd() {
    if (isOn() && canOpen_()) {
        open_();
    }
}

}  // namespace tarvendo::client
