#include "support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <stdexcept>

#include "transport/SocketPrimitives.h"

namespace tarvendo::test {

Listener makeListener() {
    Listener listener{Socket::create(), 0};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!listener.socket ||
        ::bind(listener.socket->descriptor(), reinterpret_cast<sockaddr*>(&address),
               sizeof address) != 0 ||
        socket_listen(listener.socket->descriptor()) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
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

LoopbackPair makeLoopbackPair() {
    const Listener listener = makeListener();
    LoopbackPair pair{Socket::create(), nullptr};
    if (connect_socket(pair.client->descriptor(), "127.0.0.1",
                       static_cast<std::uint16_t>(listener.port)) != 0) {
        throw std::runtime_error("cannot connect on 127.0.0.1");
    }
    pair.server = acceptOne(listener);
    return pair;
}

void writeRaw(Socket& socket, const std::string& bytes) {
    if (!socket.writeData(ByteBuffer::fromText(bytes))) {
        throw std::runtime_error("raw write failed");
    }
}

}  // namespace tarvendo::test
