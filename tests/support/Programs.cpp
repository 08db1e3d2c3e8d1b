#include "support/Programs.h"

#include <optional>

#include "support/Waiting.h"

namespace tarvendo::test {

ServerProcess startServerProgram(const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"--port", "0", "--no-advertise"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ServerProcess server{ChildProcess::start(TARVENDO_SERVER_PROGRAM, arguments), {}};
    const std::optional<int> port = server.child ? listeningPort(*server.child, 10s) : std::nullopt;
    if (!port) {
        server.child.reset();
    }
    server.address = Address{"127.0.0.1", port.value_or(0)};
    return server;
}

std::unique_ptr<ChildProcess> startBotProgram(const Address& server, int players,
                                              const std::vector<std::string>& options) {
    std::vector<std::string> arguments{
        "--server",           server.address + ":" + std::to_string(server.port),
        "--players",          std::to_string(players),
        "--client-port-base", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return ChildProcess::start(TARVENDO_BOT_PROGRAM, arguments);
}

}  // namespace tarvendo::test
