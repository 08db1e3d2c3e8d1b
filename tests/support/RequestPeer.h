#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "protocol/Answer.h"
#include "protocol/RequestCode.h"
#include "protocol/ToolBox.h"
#include "transport/Address.h"
#include "transport/Socket.h"

namespace tarvendo::test {

// A player's request connection to a game server, sending the token of its
// last accepted login with every request.
class RequestPeer {
public:
    explicit RequestPeer(const Address& server);
    std::optional<Answer> send(RequestCode code, const std::optional<Json>& body = std::nullopt);
    // Logs in to the game "Sprint" announcing the port; keeps the token of an OK.
    std::optional<Answer> login(RequestCode code, const std::string& name, std::int32_t port);
    Socket& socket() { return *socket_; }

    std::string token;

private:
    std::shared_ptr<Socket> socket_;
};

}  // namespace tarvendo::test
