#include "transport/Frame.h"

#include <poll.h>

#include <cerrno>

namespace tarvendo {

namespace {

// Blocks until the socket has a byte to read or has closed.
bool waitForFirstByte(const Socket& socket) {
    pollfd watched{socket.descriptor(), POLLIN, 0};
    while (true) {
        const int ready = ::poll(&watched, 1, -1);
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

FrameStatus failureOf(const Socket& socket) {
    return socket.lastReadTimedOut() ? FrameStatus::timedOut : FrameStatus::closed;
}

std::optional<ByteBuffer> readLengthAndPayload(Socket& socket, std::int32_t maxLength,
                                               FrameStatus& status) {
    const std::optional<ByteBuffer> header = socket.readData(4);
    if (!header) {
        status = failureOf(socket);
        return std::nullopt;
    }
    // The peer closed inside the length: whatever the bytes that came would
    // read as (zero gives an empty payload without any read), no frame came.
    if (header->size() < 4) {
        status = FrameStatus::closed;
        return std::nullopt;
    }
    const std::int32_t length = header->asInt32();
    if (length > maxLength) {
        status = FrameStatus::tooLong;
        return std::nullopt;
    }
    std::optional<ByteBuffer> payload = socket.readData(length);
    status = payload ? FrameStatus::ok : failureOf(socket);
    return payload;
}

std::optional<ByteBuffer> readWithStallLimit(Socket& socket, const FrameLimits& limits,
                                             FrameStatus& status) {
    if (!socket.isOpen() || !waitForFirstByte(socket)) {
        status = FrameStatus::closed;
        return std::nullopt;
    }
    socket.setTimeouts(limits.stallTimeout, limits.stallTimeout);
    std::optional<ByteBuffer> payload = readLengthAndPayload(socket, limits.maxLength, status);
    socket.setTimeouts(std::chrono::milliseconds{0}, limits.stallTimeout);
    return payload;
}

}  // namespace

bool writeFrame(Socket& socket, const ByteBuffer& payload) {
    if (payload.size() > static_cast<std::size_t>(INT32_MAX)) {
        return false;
    }
    // The length shares the payload's segment: a reader woken by the length
    // alone would only block again for the payload. An empty payload writes
    // nothing, so its length must not wait for it.
    const bool payloadFollows = !payload.empty();
    if (!socket.writeData(littleEndianBytes(static_cast<std::int32_t>(payload.size())),
                          payloadFollows)) {
        return false;
    }
    return socket.writeData(payload);
}

std::optional<ByteBuffer> readFrame(Socket& socket, const FrameLimits& limits,
                                    FrameStatus* status) {
    FrameStatus outcome = FrameStatus::ok;
    std::optional<ByteBuffer> payload =
        limits.stallTimeout.count() > 0 ? readWithStallLimit(socket, limits, outcome)
                                        : readLengthAndPayload(socket, limits.maxLength, outcome);
    if (status != nullptr) {
        *status = outcome;
    }
    return payload;
}

}  // namespace tarvendo
