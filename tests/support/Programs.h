#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "transport/Address.h"

namespace tarvendo::test {

// A tarvendo-server child on a kernel-chosen port without advertising, as an
// operator runs it, plus any further options; a null child when it does not
// start or never reports its port.
struct ServerProcess {
    std::unique_ptr<ChildProcess> child;
    Address address;
};
ServerProcess startServerProgram(const std::vector<std::string>& options = {});

// A tarvendo-bot child with the players against the server, any client
// ports, plus any further options; null when it cannot start.
std::unique_ptr<ChildProcess> startBotProgram(const Address& server, int players,
                                              const std::vector<std::string>& options = {});

}  // namespace tarvendo::test
