#include "transport/Socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "transport/SocketPrimitives.h"

namespace tarvendo {

namespace {

// Waits until the descriptor has something to read (or has closed); false
// when the deadline passes first, with errno ETIMEDOUT, or poll fails.
bool pollReadable(std::int32_t descriptor, std::optional<Socket::Deadline> deadline) {
    pollfd watched{descriptor, POLLIN, 0};
    while (true) {
        int wait = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
        const int ready = ::poll(&watched, 1, wait);
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

// What one read takes once bytes are there, waiting no later than the
// deadline: the bytes read, 0 at the end of the stream, or -1.
std::int32_t readBefore(std::int32_t descriptor, std::uint8_t* buffer, std::int32_t count,
                        Socket::Deadline deadline) {
    while (pollReadable(descriptor, deadline)) {
        const ssize_t got =
            ::recv(descriptor, buffer, static_cast<std::size_t>(count), MSG_DONTWAIT);
        if (got >= 0) {
            return static_cast<std::int32_t>(got);
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
    }
    return -1;
}

// One read of what is there, waiting as long as the receive time-out lets it.
std::int32_t readOnce(std::int32_t descriptor, std::uint8_t* buffer, std::int32_t count) {
    ssize_t got = 0;
    do {
        got = ::read(descriptor, buffer, static_cast<std::size_t>(count));
    } while (got == -1 && errno == EINTR);
    return static_cast<std::int32_t>(got);
}

bool endedOnTimeOut() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == ETIMEDOUT;
}

timeval toTimeval(std::chrono::milliseconds duration) {
    const auto count = duration.count();
    return timeval{static_cast<time_t>(count / 1000),
                   static_cast<suseconds_t>((count % 1000) * 1000)};
}

}  // namespace

std::shared_ptr<Socket> Socket::create(std::int32_t descriptor) {
    if (descriptor == -1) {
        descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (descriptor == -1) {
            return nullptr;
        }
    }
    if (!configure(descriptor)) {
        ::shutdown(descriptor, SHUT_RDWR);
        ::close(descriptor);
        return nullptr;
    }
    return std::shared_ptr<Socket>(new Socket(descriptor));
}

bool Socket::configure(std::int32_t descriptor) {
    // Writes to a gone peer are kept from raising SIGPIPE per call (MSG_NOSIGNAL).
    // A frame is written as two writes (length, then payload); without
    // TCP_NODELAY the payload waits for the peer's delayed ACK of the length,
    // some 40 ms on every message.
    const int noDelay = 1;
    return setopt_socket(descriptor, SO_REUSEADDR, 1) == 0 &&
           setopt_socket(descriptor, SO_KEEPALIVE, 1) == 0 &&
           ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay) == 0;
}

Socket::~Socket() {
    close();
}

std::optional<ByteBuffer> Socket::readData(std::int32_t bytesToRead) {
    lastReadTimedOut_ = false;
    const std::int32_t descriptor = this->descriptor();
    if (descriptor == -1) {
        return std::nullopt;
    }
    ByteBuffer result;
    if (bytesToRead <= 0) {
        return result;
    }
    const std::int32_t chunkSize = std::max(socket_internal_buffer_size(descriptor), 1);
    // No read takes more than was asked for: a scratch of the whole receive
    // buffer (128 KiB and more) would be zeroed for every 4-byte frame length.
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(std::min(chunkSize, bytesToRead)));
    std::int32_t remaining = bytesToRead;
    while (remaining > 0) {
        const std::int32_t wanted = std::min(remaining, chunkSize);
        const std::int32_t got = read_bytes(descriptor, scratch.data(), wanted);
        if (got == -1) {
            lastReadTimedOut_ = endedOnTimeOut();
            return std::nullopt;
        }
        if (got == 0) {
            if (remaining == bytesToRead) {
                return std::nullopt;
            }
            break;
        }
        result.append(scratch.data(), static_cast<std::size_t>(got));
        remaining -= got;
    }
    return result;
}

std::int32_t Socket::readSome(std::uint8_t* into, std::int32_t capacity,
                              std::optional<Deadline> deadline) {
    lastReadTimedOut_ = false;
    const std::int32_t descriptor = this->descriptor();
    if (descriptor == -1 || capacity <= 0) {
        return -1;
    }
    const std::int32_t got = deadline ? readBefore(descriptor, into, capacity, *deadline)
                                      : readOnce(descriptor, into, capacity);
    lastReadTimedOut_ = got == -1 && endedOnTimeOut();
    return got;
}

bool Socket::writeData(const ByteBuffer& data, bool moreFollows) {
    const std::int32_t descriptor = this->descriptor();
    if (descriptor == -1) {
        return false;
    }
    if (data.size() > static_cast<std::size_t>(INT32_MAX)) {
        return false;
    }
    const auto size = static_cast<std::int32_t>(data.size());
    return write_bytes(descriptor, data.data(), size, moreFollows) == size;
}

std::int64_t Socket::tryWrite(const std::uint8_t* data, std::size_t size) {
    const std::int32_t descriptor = this->descriptor();
    while (descriptor != -1) {
        const ssize_t sent = ::send(descriptor, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) {
            return sent;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        }
        if (errno != EINTR) {
            break;
        }
    }
    return -1;
}

std::optional<std::string> Socket::address() const {
    std::array<char, 512> buffer{};
    auto length = static_cast<std::int32_t>(buffer.size());
    if (socket_address(descriptor(), buffer.data(), &length) == -1) {
        return std::nullopt;
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

bool Socket::setTimeouts(std::chrono::milliseconds receive, std::chrono::milliseconds send) {
    const std::int32_t descriptor = this->descriptor();
    const timeval receiveLimit = toTimeval(receive);
    const timeval sendLimit = toTimeval(send);
    return descriptor != -1 &&
           ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &receiveLimit, sizeof receiveLimit) ==
               0 &&
           ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit) == 0;
}

void Socket::shutdown() {
    const std::int32_t descriptor = this->descriptor();
    if (descriptor != -1) {
        ::shutdown(descriptor, SHUT_RDWR);
    }
}

void Socket::close() {
    const std::int32_t descriptor = socketFileDescriptor_.exchange(-1);
    if (descriptor != -1) {
        ::shutdown(descriptor, SHUT_RDWR);
        ::close(descriptor);
    }
}

bool Socket::reopen() {
    if (isOpen()) {
        return true;
    }
    const std::int32_t descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor == -1) {
        return false;
    }
    if (!configure(descriptor)) {
        ::close(descriptor);
        return false;
    }
    socketFileDescriptor_.store(descriptor);
    return true;
}

}  // namespace tarvendo
