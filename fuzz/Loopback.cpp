#include <arpa/inet.h>
#include <sys/socket.h>

#include "fuzz/Fuzz.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo::fuzz {

Loopback::Loopback(std::string_view bytes) : feeder(Socket::create()) {
    // One listener for the whole process: a connection per input is cheap, a
    // listening socket per input is not.
    static sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    static socklen_t length = sizeof address;
    static const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    static const bool listening =
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        socket_listen(listener) == 0 &&
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    require(listening && feeder &&
                connect_socket(feeder->descriptor(), "127.0.0.1", ntohs(address.sin_port)) == 0,
            "cannot connect on 127.0.0.1");
    const int accepted = accept_socket(listener);
    reader = accepted == -1 ? nullptr : Socket::create(accepted);
    require(reader != nullptr, "cannot accept on 127.0.0.1");
    // Closing with a reset leaves no TIME_WAIT behind: millions of runs would
    // otherwise use up the loopback's ephemeral ports.
    const linger reset{1, 0};
    for (const Socket* end : {feeder.get(), reader.get()}) {
        ::setsockopt(end->descriptor(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    feeder->writeData(ByteBuffer::fromText(bytes));
    ::shutdown(feeder->descriptor(), SHUT_WR);
}

}  // namespace tarvendo::fuzz
