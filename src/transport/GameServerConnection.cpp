#include "GameServerConnection.h"

#include <cstdlib>

#include "Diagnostics.h"

namespace tarvendo {

std::atomic<bool> isConnectedToServer{false};

Socket& socket() {
    // Created once, thread-safely; the client cannot work without it.
    static const std::shared_ptr<Socket> connection = [] {
        std::shared_ptr<Socket> created = Socket::create();
        if (!created) {
            printLine("Fatal: can't create the connection to the game server");
            std::exit(EXIT_FAILURE);  // NOLINT(concurrency-mt-unsafe): nothing can go on
        }
        return created;
    }();
    return *connection;
}

}  // namespace tarvendo
