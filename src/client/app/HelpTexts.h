#pragma once

#include <QString>

class QWidget;

namespace tarvendo::client {

// Every keyboard shortcut of the main window, as an HTML table.
QString keyboardShortcutsText();
// The application's name, version and licence.
QString aboutText();

// Shows the text in a window of its own that does not block the table.
void showHelp(QWidget* parent, const QString& title, const QString& text);

}  // namespace tarvendo::client
