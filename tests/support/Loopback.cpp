#include "support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "transport/Frame.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo::test {

namespace {

void bindTo(Socket& socket, const std::string& address, std::uint16_t port) {
    sockaddr_in socketAddress{AF_INET, htons(port), {}, {}};
    ::inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr);
    if (::bind(socket.descriptor(), reinterpret_cast<sockaddr*>(&socketAddress),
               sizeof socketAddress) != 0) {
        throw std::runtime_error("cannot bind to " + address);
    }
}

void sent(bool succeeded) {
    if (!succeeded) {
        throw std::runtime_error("cannot send to the peer");
    }
}

std::shared_ptr<Socket> connectedFrom(const std::string& from, std::int32_t port) {
    std::shared_ptr<Socket> socket = Socket::create();
    if (!socket) {
        throw std::runtime_error("cannot create a socket");
    }
    if (from != "127.0.0.1") {
        bindTo(*socket, from, 0);
    }
    if (connect_socket(socket->descriptor(), "127.0.0.1", static_cast<std::uint16_t>(port)) != 0) {
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    }
    socket->setTimeouts(std::chrono::seconds(5), std::chrono::seconds(5));
    return socket;
}

}  // namespace

Listener makeListener() {
    Listener listener{Socket::create(), 0};
    if (!listener.socket) {
        throw std::runtime_error("cannot create a socket");
    }
    bindTo(*listener.socket, "127.0.0.1", 0);
    if (socket_listen(listener.socket->descriptor()) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(listener.socket->descriptor(), reinterpret_cast<sockaddr*>(&address), &length);
    listener.port = ntohs(address.sin_port);
    return listener;
}

std::shared_ptr<Socket> acceptOne(const Listener& listener, int timeoutMs) {
    pollfd watched{listener.socket->descriptor(), POLLIN, 0};
    if (::poll(&watched, 1, timeoutMs) != 1) {
        return nullptr;
    }
    const std::int32_t accepted = accept_socket(listener.socket->descriptor());
    return accepted == -1 ? nullptr : Socket::create(accepted);
}

std::int32_t freePort() {
    return makeListener().port;  // closed again as the listener goes
}

LoopbackPair makeLoopbackPair() {
    const Listener listener = makeListener();
    LoopbackPair pair{connectedFrom("127.0.0.1", listener.port), nullptr};
    pair.server = acceptOne(listener);
    return pair;
}

void writeRaw(Socket& socket, const std::string& bytes) {
    sent(socket.writeData(ByteBuffer::fromText(bytes)));
}

ByteBuffer frameBytes(std::int32_t length, const std::string& payload) {
    ByteBuffer bytes = littleEndianBytes(length);
    const ByteBuffer body = ByteBuffer::fromText(payload);
    bytes.append(body.data(), body.size());
    return bytes;
}

FramePeer::FramePeer(std::int32_t port, const std::string& from)
    : socket_(connectedFrom(from, port)), frames_(*socket_) {}

void FramePeer::send(const Request& request) {
    sendFrame(request.json().value());
}

void FramePeer::sendFrame(const ByteBuffer& payload) {
    sent(writeFrame(*socket_, payload));
}

void FramePeer::sendBytes(const ByteBuffer& bytes) {
    sent(socket_->writeData(bytes));
}

std::optional<ByteBuffer> FramePeer::nextFrame() {
    return frames_.next();
}

bool FramePeer::seesEndOfStream() {
    return !socket_->readData(1) && !socket_->lastReadTimedOut();
}

bool FramePeer::hasNothingToRead() {
    std::uint8_t byte = 0;
    const ssize_t got = ::recv(socket_->descriptor(), &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return got == -1 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

}  // namespace tarvendo::test
