#include "client/app/HelpTexts.h"

#include <QMessageBox>

#include "client/qt/Text.h"
#include "session/Shared.h"

namespace tarvendo::client {

namespace {

struct Shortcut {
    const char* keys;
    const char* what;
};

constexpr Shortcut kShortcuts[] = {
    {"Left, Right", "move between your cards"},
    {"Home, End", "go to the first or the last card"},
    {"Space, Return", "pick the card, or take it back within two seconds"},
    {"0 1 2 3 5 8 ?", "pick that card; H picks ½"},
    {"Escape", "take back the card picked within two seconds"},
    {"Ctrl+I, Ctrl+P, Ctrl+O", "Init, Play, Open (admin)"},
    {"Ctrl+E", "export the history as CSV"},
    {"Ctrl+H", "show or hide the history"},
    {"F11", "full screen"},
    {"Ctrl+Q", "log out and quit"},
};

}  // namespace

QString keyboardShortcutsText() {
    QString rows;
    for (const Shortcut& shortcut : kShortcuts) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString::fromUtf8(shortcut.keys).toHtmlEscaped(),
                         QString::fromUtf8(shortcut.what).toHtmlEscaped());
    }
    return QStringLiteral("<table cellspacing=\"6\">%1</table>").arg(rows);
}

QString aboutText() {
    return QStringLiteral(
               "<h3>%1</h3><p>Version %2</p><p>An estimation card game for teams.</p>"
               "<p>Copyright © the Tarvendo Base developers. All rights reserved: "
               "no licence to copy or change it has been granted.</p>")
        .arg(qText(Shared::ApplicationName), QStringLiteral(TARVENDO_VERSION));
}

void showHelp(QWidget* parent, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Close, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::RichText);
    box->setModal(false);
    box->show();
}

}  // namespace tarvendo::client
