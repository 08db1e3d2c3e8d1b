#include "client/app/ConnectionStatus.h"

#include <QCursor>
#include <QGuiApplication>

namespace tarvendo::client {

void ConnectionStatus::exchangeStarted() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The main thread blocks in the exchange: hand the cursor to the window
    // system now rather than at the next turn of the event loop.
    QGuiApplication::sync();
}

void ConnectionStatus::exchangeEnded(ExchangeEnd end) {
    QGuiApplication::restoreOverrideCursor();
    if (end == ExchangeEnd::connectionLost && onLost_) {
        onLost_();
    }
}

}  // namespace tarvendo::client
