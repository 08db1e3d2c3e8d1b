#include "FaultSupport.h"

#include <thread>

namespace tarvendo::fault {

ServerProcess startServerProgram() {
    ServerProcess server{
        bot::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"}), {}};
    const std::optional<int> port =
        server.child ? bot::listeningPort(*server.child, 10s) : std::nullopt;
    if (!port) {
        server.child.reset();
        return server;
    }
    server.address = Address{"127.0.0.1", *port};
    return server;
}

std::unique_ptr<bot::ChildProcess> startBotProgram(const Address& server, int players,
                                                   const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"--server",
                                       server.address + ":" + std::to_string(server.port),
                                       "--players", std::to_string(players)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return bot::ChildProcess::start(TARVENDO_BOT_PROGRAM, arguments);
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

}  // namespace tarvendo::fault
