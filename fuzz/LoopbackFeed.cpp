#include "fuzz/LoopbackFeed.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "fuzz/Invariant.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo::fuzz {

namespace {

sockaddr_in loopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

int openListener() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopbackAddress(0);
    require(listener != -1 &&
                ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                socket_listen(listener) == 0,
            "cannot listen on 127.0.0.1");
    return listener;
}

// One listener for the whole process: a connection per input is cheap, a
// listening socket per input is not.
int sharedListener() {
    static const int listener = openListener();
    return listener;
}

std::uint16_t portOf(int descriptor) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Closing with a reset leaves no TIME_WAIT behind: millions of runs would
// otherwise use up the loopback's ephemeral ports.
void resetOnClose(int descriptor) {
    const linger reset{1, 0};
    ::setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
}

int connectTo(int listener) {
    const int feeder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    require(feeder != -1 && connect_socket(feeder, "127.0.0.1", portOf(listener)) == 0,
            std::string("cannot connect on 127.0.0.1: ") + std::strerror(errno));
    return feeder;
}

}  // namespace

LoopbackFeed::LoopbackFeed() {
    const int listener = sharedListener();
    feeder_ = connectTo(listener);
    const int accepted = accept_socket(listener);
    // Either end may close first: whichever does must not enter TIME_WAIT.
    resetOnClose(accepted);
    resetOnClose(feeder_);
    reader_ = Socket::create(accepted);
    if (reader_ == nullptr) {
        ::close(feeder_);
        require(false, "cannot accept on 127.0.0.1");
    }
}

LoopbackFeed::~LoopbackFeed() {
    ::close(feeder_);
}

void LoopbackFeed::send(std::string_view bytes) {
    require(bytes.size() <= kMaxFedBytes, "the input is too large to feed");
    write_bytes(feeder_, bytes.data(), static_cast<std::int32_t>(bytes.size()));
    ::shutdown(feeder_, SHUT_WR);
}

std::string LoopbackFeed::receiveAll() {
    std::string received;
    char chunk[4096];
    while (true) {
        const ssize_t got = ::recv(feeder_, chunk, sizeof chunk, 0);
        if (got > 0) {
            received.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return received;
        }
    }
}

}  // namespace tarvendo::fuzz
