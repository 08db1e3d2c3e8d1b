#pragma once

namespace tarvendo::client {

// Registers the client's compiled-in resources (texture, sounds). A static
// library's resources are only linked in when something refers to them, so
// every user of a resource calls this first; later calls do nothing.
void ensureResources();

}  // namespace tarvendo::client
