#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "protocol/Answer.h"
#include "protocol/RequestCode.h"
#include "protocol/ToolBox.h"
#include "transport/Address.h"
#include "transport/Socket.h"

namespace tarvendo::bot {

// One player's own connection for requests and the token it was given.
// Exchanges from several threads (the deal leader and the voter) take turns.
class RequestLine {
public:
    bool connect(const Address& server);
    // One exchange with the token, once there is one: a login that carries it
    // takes the seat back after a loss.
    std::optional<Answer> send(RequestCode code, const std::optional<Json>& body = std::nullopt);
    void close();

    void setToken(std::string token);
    // The token once the login answer is in; pushes may overtake that answer.
    std::optional<std::string> waitForToken(std::chrono::milliseconds limit) const;

private:
    std::mutex exchangeMutex_;  // guards socket_ and one exchange at a time
    std::shared_ptr<Socket> socket_;
    mutable std::mutex tokenMutex_;  // guards token_
    mutable std::condition_variable tokenSet_;
    std::optional<std::string> token_;
};

}  // namespace tarvendo::bot
