#include "client/app/ConnectionStatus.h"

#include <QGuiApplication>
#include <QLabel>

namespace tarvendo::client {

ConnectionStatus::ConnectionStatus(QLabel* statusLine) : statusLine_(statusLine) {}

void ConnectionStatus::exchangeStarted() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The main thread blocks in the exchange: hand the cursor to the window
    // system now rather than at the next turn of the event loop.
    QGuiApplication::sync();
}

void ConnectionStatus::exchangeEnded(ExchangeEnd end) {
    QGuiApplication::restoreOverrideCursor();
    if (!statusLine_) {
        return;
    }
    if (end == ExchangeEnd::connectionLost) {
        statusLine_->setText(kLostText);
        statusLine_->show();
    } else if (end == ExchangeEnd::answered) {
        statusLine_->clear();
        statusLine_->hide();
    }
}

}  // namespace tarvendo::client
