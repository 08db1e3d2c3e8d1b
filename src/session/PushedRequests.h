#pragma once

#include "protocol/Request.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"

namespace tarvendo {

class PushGate;

// Where pushed requests go: the session whose token they must carry, the
// centre their events are posted on and, if any, the gate that holds them
// while a login is in flight.
struct PushReceiver {
    const Shared& shared;
    NotificationCenter& center;
    PushGate* gate = nullptr;
};

// Turns a request the game server pushed into its event on the receiver's
// centre, on the calling thread. Every push must carry the session's token:
// pushes that fail the check or carry a missing or malformed data object, and
// codes the client server does not handle, are dropped without an event.
void handlePushedRequest(const Request& request, const PushReceiver& receiver);

}  // namespace tarvendo
