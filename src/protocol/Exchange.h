#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "transport/Address.h"
#include "transport/Frame.h"
#include "transport/Socket.h"

namespace tarvendo {

// How long an exchange waits for its answer before the connection is given up.
inline constexpr std::chrono::milliseconds kExchangeTimeout{10'000};
// The logout at termination gets less: quitting must never hang.
inline constexpr std::chrono::milliseconds kLogoutTimeout{2'000};

struct ExchangeResult {
    std::optional<Answer> answer;
    FrameStatus status = FrameStatus::ok;  // how reading the answer frame ended
};

// Writes the request as one frame and reads one answer frame on the given
// connection. No answer: closed, failed, timed out or unreadable. Unless an
// answer frame came, the connection is closed: a time-out could no longer pair
// answers with requests, and one the peer closed is of no further use.
ExchangeResult exchangeFrames(Socket& connection, const Request& request,
                              std::chrono::milliseconds timeout);

// The answer alone; absent means no answer.
std::optional<Answer> exchange(Socket& connection, const Request& request,
                               std::chrono::milliseconds timeout = kExchangeTimeout);

// Connects a socket; the port must lie in 0...65535. A connect that fails for
// any reason but a refusal closes the socket (reopen() gives a fresh one).
bool connectSocket(Socket& connection, const Address& server,
                   std::chrono::milliseconds timeout = kExchangeTimeout);

}  // namespace tarvendo
