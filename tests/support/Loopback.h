#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "transport/Socket.h"

namespace tarvendo::test {

// A connected TCP pair on 127.0.0.1: what one side writes, the other reads.
struct LoopbackPair {
    std::shared_ptr<Socket> client;
    std::shared_ptr<Socket> server;
};

LoopbackPair makeLoopbackPair();

// A listening socket on 127.0.0.1 with a kernel-chosen port.
struct Listener {
    std::shared_ptr<Socket> socket;
    std::int32_t port = 0;
};

Listener makeListener();
// Accepts one connection; absent when none comes within the time-out.
std::shared_ptr<Socket> acceptOne(const Listener& listener, int timeoutMs = 5000);

// Writes raw bytes, bypassing the frame writer.
void writeRaw(Socket& socket, const std::string& bytes);

}  // namespace tarvendo::test
