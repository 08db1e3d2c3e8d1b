#pragma once

#include "Request.h"

namespace tarvendo {

// Turns a request the game server pushed into its event on the default
// centre, on the calling thread. Pushes that fail the token check or carry a
// missing or malformed data object, and codes the client server does not
// handle, are dropped without an event.
void handlePushedRequest(const Request& request);

}  // namespace tarvendo
