#pragma once

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "protocol/Request.h"
#include "protocol/ToolBox.h"
#include "session/ClientServerThread.h"
#include "transport/Server.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo::support {

// A client server on a free port, serving on a thread of its own until the
// harness ends.
class ClientServerHarness {
public:
    explicit ClientServerHarness(FrameLimits limits = kClientServerFrameLimits)
        : delegate_(std::make_shared<ClientServerDelegate>(limits)),
          server_(Server::create(delegate_)) {
        if (!server_ || !server_->listenOn(0)) {
            throw std::runtime_error("the client server cannot listen");
        }
        port_ = server_->boundPort().value();
        serving_ = std::thread([server = server_] { server->serve(); });
    }
    ~ClientServerHarness() { stop(); }

    std::int32_t port() const { return port_; }
    // Ends serving and every connection; waits for their threads.
    void stop() {
        server_->stop();
        if (serving_.joinable()) {
            serving_.join();
        }
    }
    // Waits up to five seconds until every connection's run() has returned.
    // A connection counts once it has been accepted: wait for its first event.
    bool waitUntilIdle() {
        for (int wait = 0; wait < 1000 && server_->activeConnections() > 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return server_->activeConnections() == 0;
    }

private:
    std::shared_ptr<ClientServerDelegate> delegate_;
    std::shared_ptr<Server> server_;
    std::int32_t port_ = 0;
    std::thread serving_;
};

// The game server's end of one connection to the client server. Every read
// gives up after five seconds.
class PushPeer {
public:
    explicit PushPeer(std::int32_t port) : socket_(Socket::create()) {
        if (!socket_ || connect_socket(socket_->descriptor(), "127.0.0.1",
                                       static_cast<std::uint16_t>(port)) != 0) {
            throw std::runtime_error("cannot connect to the client server");
        }
        socket_->setTimeouts(std::chrono::seconds(5), std::chrono::seconds(5));
    }

    void push(const Request& request) { sendFrame(request.json().value()); }
    void sendFrame(const ByteBuffer& payload) { sent(writeFrame(*socket_, payload)); }
    void sendBytes(const ByteBuffer& bytes) { sent(socket_->writeData(bytes)); }
    // Closes the connection from this side.
    void close() { socket_->close(); }

    std::optional<ByteBuffer> nextFrame() { return readFrame(*socket_); }
    // True when the client server has closed its end.
    bool seesEndOfStream() { return !socket_->readData(1) && !socket_->lastReadTimedOut(); }
    // True when nothing at all has been sent to this peer so far.
    bool hasNothingToRead() {
        std::uint8_t byte = 0;
        const ssize_t got = ::recv(socket_->descriptor(), &byte, 1, MSG_DONTWAIT | MSG_PEEK);
        return got == -1 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }

private:
    static void sent(bool succeeded) {
        if (!succeeded) {
            throw std::runtime_error("cannot send to the client server");
        }
    }

    std::shared_ptr<Socket> socket_;
};

// A push with a JSON data object.
inline Request pushWithData(RequestCode code, std::optional<std::string> token, const Json& data) {
    return Request{code, std::move(token), std::nullopt, ToolBox::toJsonObject(data)};
}

}  // namespace tarvendo::support
