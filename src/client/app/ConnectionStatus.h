#pragma once

#include <QPointer>

#include "protocol/GameServerConnection.h"

class QLabel;

namespace tarvendo::client {

// Shows the user what the exchanges with the game server do: a busy cursor
// while one runs, and a status line once the connection has been lost.
class ConnectionStatus : public ExchangeWatcher {
public:
    explicit ConnectionStatus(QLabel* statusLine);

    void exchangeStarted() override;
    void exchangeEnded(ExchangeEnd end) override;

    static constexpr const char* kLostText =
        "Connection to the game server lost. Quit and log in again when it is back.";

private:
    QPointer<QLabel> statusLine_;
};

}  // namespace tarvendo::client
