#pragma once

#include <functional>

#include "protocol/GameServerConnection.h"

namespace tarvendo::client {

// Shows the user that an exchange with the game server runs (a busy cursor)
// and reports an exchange that found the connection lost.
class ConnectionStatus : public ExchangeWatcher {
public:
    explicit ConnectionStatus(std::function<void()> onLost) : onLost_(std::move(onLost)) {}

    void exchangeStarted() override;
    void exchangeEnded(ExchangeEnd end) override;

private:
    std::function<void()> onLost_;
};

}  // namespace tarvendo::client
