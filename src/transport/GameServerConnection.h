#pragma once

#include <atomic>

#include "Socket.h"

namespace tarvendo {

// The process-wide connection to the game server, created on first use and
// used from the main thread only.
Socket& socket();
// True once a connect on socket() succeeded; false again after it was closed.
extern std::atomic<bool> isConnectedToServer;

}  // namespace tarvendo
