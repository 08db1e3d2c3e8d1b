#include "client/table/Workspace.h"

#include "client/table/Deck.h"
#include "client/table/Desktop.h"

namespace tarvendo::client {

const QColor Workspace::kDividerColor = QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3);

Workspace::Workspace(ClientSession& session, QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      desktop_(new Desktop(session, this)),
      deck_(new Deck(session, this)) {
    addWidget(desktop_);
    addWidget(deck_);
    setChildrenCollapsible(false);
    // The panes start at 70 % and 30 % and share every change of height in
    // the same proportion.
    setStretchFactor(0, kDesktopShare);
    setStretchFactor(1, kDeckShare);
    setHandleWidth(kDividerThickness);
    setStyleSheet(
        QStringLiteral("QSplitter::handle { background-color: %1; }").arg(kDividerColor.name()));
}

}  // namespace tarvendo::client
