#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/Request.h"
#include "protocol/ToolBox.h"
#include "support/Waiting.h"
#include "transport/ServingThread.h"

namespace tarvendo::test {

// A client server on a free port that keeps every push it can decode, in
// the order of arrival, and answers none.
class PushSink {
public:
    PushSink();
    std::int32_t port() const { return serving_->port(); }
    // Stops listening and drops the game server's push connections.

    Waitable<Request> pushes;

private:
    std::shared_ptr<ServerDelegate> readers_;  // the server holds it weakly
    std::unique_ptr<ServingThread> serving_;
};

// The data object of a request; an empty object when it has none.
Json bodyOf(const Request& request);
// A request, or push, with its token and data object.
Request requestWith(RequestCode code, std::optional<std::string> token = std::nullopt,
                    const std::optional<Json>& body = std::nullopt);
// True for a push of the code whose data names the player.
bool isPushFor(const Request& push, RequestCode code, const std::string& playerName);

}  // namespace tarvendo::test
