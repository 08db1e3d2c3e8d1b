#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "transport/Server.h"

namespace tarvendo {

// A Server that listens on a port and serves on a thread of its own for as
// long as this object lives: destroying it stops the server and joins.
class ServingThread {
public:
    // Absent when the server cannot listen on the port (0: any free port).
    // onEnd runs on the serving thread once serving ends, stopped or failed.
    static std::unique_ptr<ServingThread> start(std::shared_ptr<Server> server, std::int32_t port,
                                                std::function<void()> onEnd = {});
    ~ServingThread();
    ServingThread(const ServingThread&) = delete;
    ServingThread& operator=(const ServingThread&) = delete;

    // Ends serving and every connection and waits for their threads. Idempotent.
    void stop();
    // The port listened on, the chosen one after port 0.
    std::int32_t port() const { return port_; }
    Server& server() const { return *server_; }

private:
    ServingThread(std::shared_ptr<Server> server, std::int32_t port)
        : server_(std::move(server)), port_(port) {}

    std::shared_ptr<Server> server_;
    std::int32_t port_;
    std::thread thread_;
};

}  // namespace tarvendo
