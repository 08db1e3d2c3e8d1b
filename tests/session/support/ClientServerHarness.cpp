#include "ClientServerHarness.h"

#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>

#include "SocketPrimitives.h"
#include "ToolBox.h"

namespace tarvendo::support {

ClientServerHarness::ClientServerHarness(FrameLimits limits)
    : delegate_(std::make_shared<ClientServerDelegate>(limits)),
      server_(Server::create(delegate_)) {
    if (!server_ || !server_->listenOn(0) || !server_->boundPort()) {
        throw std::runtime_error("the client server cannot listen");
    }
    port_ = *server_->boundPort();
    serving_ = std::thread([server = server_] { server->serve(); });
}

ClientServerHarness::~ClientServerHarness() {
    stop();
}

void ClientServerHarness::stop() {
    server_->stop();
    if (serving_.joinable()) {
        serving_.join();
    }
}

bool ClientServerHarness::waitUntilIdle(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (server_->activeConnections() > 0) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

PushPeer::PushPeer(std::int32_t port) : socket_(Socket::create()) {
    if (!socket_ ||
        connect_socket(socket_->descriptor(), "127.0.0.1", static_cast<std::uint16_t>(port)) != 0) {
        throw std::runtime_error("cannot connect to the client server");
    }
}

void PushPeer::push(const Request& request) {
    sendFrame(request.json().value());
}

void PushPeer::sendFrame(const ByteBuffer& payload) {
    if (!writeFrame(*socket_, payload)) {
        throw std::runtime_error("cannot send a frame");
    }
}

void PushPeer::sendBytes(const ByteBuffer& bytes) {
    if (!socket_->writeData(bytes)) {
        throw std::runtime_error("cannot send bytes");
    }
}

void PushPeer::close() {
    socket_->close();
}

std::optional<ByteBuffer> PushPeer::readFrameWithin(std::chrono::milliseconds timeout) {
    socket_->setTimeouts(timeout, timeout);
    return readFrame(*socket_);
}

bool PushPeer::seesEndOfStream(std::chrono::milliseconds timeout) {
    socket_->setTimeouts(timeout, timeout);
    return !socket_->readData(1) && !socket_->lastReadTimedOut();
}

bool PushPeer::hasNothingToRead() {
    std::uint8_t byte = 0;
    const ssize_t got = ::recv(socket_->descriptor(), &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return got == -1 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

Request pushWithData(RequestCode code, std::optional<std::string> token, const Json& data) {
    return Request{code, std::move(token), std::nullopt, ToolBox::toJsonObject(data)};
}

}  // namespace tarvendo::support
