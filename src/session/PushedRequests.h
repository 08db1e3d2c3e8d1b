#pragma once

#include "protocol/Request.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"

namespace tarvendo {

// Where pushed requests go: the session whose token they must carry, and the
// centre their events are posted on.
struct PushReceiver {
    const Shared& shared;
    NotificationCenter& center;
};

// Turns a request the game server pushed into its event on the receiver's
// centre, on the calling thread. Pushes that fail the token check or carry a
// missing or malformed data object, and codes the client server does not
// handle, are dropped without an event.
void handlePushedRequest(const Request& request, const PushReceiver& receiver);

}  // namespace tarvendo
