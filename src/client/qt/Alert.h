#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tarvendo::client {

// Shows an alert: message text, informative text and one OK button.
using AlertHandler =
    std::function<void(QWidget* parent, const QString& message, const QString& informative)>;

// Every alert of the client goes through here; by default a modal message box
// titled with the application name. Main thread only.
void showAlert(QWidget* parent, const QString& message, const QString& informative);

// Replaces how alerts are shown, so tests can record them instead of blocking
// on a modal box; an empty handler brings the message box back. Returns the
// handler that was installed before.
AlertHandler setAlertHandler(AlertHandler handler);

}  // namespace tarvendo::client
