#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Address.h"
#include "ChildProcess.h"

namespace tarvendo::fault {

using namespace std::chrono_literals;

// A tarvendo-server child on a kernel-chosen port, as an operator runs it.
struct ServerProcess {
    std::unique_ptr<bot::ChildProcess> child;
    Address address;
};

// Absent child when the program does not start or never reports its port.
ServerProcess startServerProgram();

// A tarvendo-bot child playing against the server; the options follow the
// server and player count. Null when it cannot start.
std::unique_ptr<bot::ChildProcess> startBotProgram(const Address& server, int players,
                                                   const std::vector<std::string>& options = {});

// Polls the condition until it holds or the limit passes.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s);

}  // namespace tarvendo::fault
