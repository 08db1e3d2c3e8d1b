#include "transport/SocketPrimitives.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

namespace tarvendo {

namespace {

// First IPv4 address of host, in network order; a dotted address needs no look-up.
bool resolveIPv4(const char* host, in_addr* result) {
    if (inet_pton(AF_INET, host, result) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    *result = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

// The socket's send time-out, which also bounds connect(); none waits forever.
std::optional<std::chrono::steady_clock::time_point> connectDeadline(std::int32_t descriptor) {
    timeval limit{};
    socklen_t length = sizeof limit;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &limit, &length) != 0 ||
        (limit.tv_sec == 0 && limit.tv_usec == 0)) {
        return std::nullopt;
    }
    return std::chrono::steady_clock::now() + std::chrono::seconds(limit.tv_sec) +
           std::chrono::microseconds(limit.tv_usec);
}

int millisecondsUntil(std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

// A signal that interrupts connect() leaves the handshake going on in the
// background (connecting again would fail with EALREADY): wait for its end,
// within the same time-out, and report its outcome.
std::int32_t finishInterruptedConnect(std::int32_t descriptor) {
    const auto deadline = connectDeadline(descriptor);
    pollfd watched{descriptor, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&watched, 1, millisecondsUntil(deadline));
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        errno = ETIMEDOUT;
    }
    if (ready <= 0) {
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length);
    errno = error;
    return error == 0 ? 0 : -1;
}

}  // namespace

std::int32_t connect_socket(std::int32_t descriptor, const char* host, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (host == nullptr || !resolveIPv4(host, &address.sin_addr)) {
        return -1;
    }
    address.sin_port = htons(port);
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        return 0;
    }
    return errno == EINTR ? finishInterruptedConnect(descriptor) : -1;
}

std::int32_t accept_socket(std::int32_t descriptor) {
    std::int32_t accepted = -1;
    do {
        accepted = ::accept(descriptor, nullptr, nullptr);
    } while (accepted == -1 && errno == EINTR);
    return accepted;
}

std::int32_t bind_socket(std::int32_t descriptor, std::int32_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    return ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
}

std::int32_t setopt_socket(std::int32_t descriptor, std::int32_t option, std::int32_t value) {
    return ::setsockopt(descriptor, SOL_SOCKET, option, &value, sizeof value);
}

std::int32_t socket_internal_buffer_size(std::int32_t descriptor) {
    std::int32_t size = 0;
    socklen_t length = sizeof size;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &size, &length) != 0) {
        return kFallbackBufferSize;
    }
    return size;
}

std::int32_t socket_listen(std::int32_t descriptor, std::int32_t backlog) {
    return ::listen(descriptor, backlog);
}

std::int32_t read_bytes(std::int32_t descriptor, void* buffer, std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    auto* position = static_cast<char*>(buffer);
    std::int32_t remaining = count;
    while (remaining > 0) {
        const ssize_t result = ::read(descriptor, position, static_cast<std::size_t>(remaining));
        if (result > 0) {
            position += result;
            remaining -= static_cast<std::int32_t>(result);
        } else if (result == 0) {
            break;
        } else if (errno != EINTR) {
            return -1;
        }
    }
    return count - remaining;
}

std::int32_t write_bytes(std::int32_t descriptor, const void* buffer, std::int32_t count,
                         bool moreFollows) {
    if (count <= 0) {
        return 0;
    }
    const auto* position = static_cast<const char*>(buffer);
    std::int32_t remaining = count;
    // MSG_NOSIGNAL: a peer that has gone makes the write fail instead of
    // raising SIGPIPE (Linux has no per-socket option for it).
    const int flags = MSG_NOSIGNAL | (moreFollows ? MSG_MORE : 0);
    while (remaining > 0) {
        const ssize_t result =
            ::send(descriptor, position, static_cast<std::size_t>(remaining), flags);
        if (result > 0) {
            position += result;
            remaining -= static_cast<std::int32_t>(result);
        } else if (errno != EINTR) {
            return -1;
        }
    }
    return count;
}

std::int32_t socket_address(std::int32_t descriptor, char* buffer, std::int32_t* length) {
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        peer.sin_family != AF_INET) {
        return -1;
    }
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text) == nullptr) {
        return -1;
    }
    const auto textLength = static_cast<std::int32_t>(std::strlen(text));
    std::memcpy(buffer, text, static_cast<std::size_t>(textLength));
    *length = textLength;
    return 0;
}

}  // namespace tarvendo
