#include "transport/Frame.h"

#include <algorithm>

namespace tarvendo {

namespace {

using Deadline = Socket::Deadline;

FrameStatus failureOf(const Socket& socket) {
    return socket.lastReadTimedOut() ? FrameStatus::timedOut : FrameStatus::closed;
}

std::optional<Deadline> after(std::chrono::milliseconds limit) {
    if (limit.count() <= 0) {
        return std::nullopt;
    }
    return std::chrono::steady_clock::now() + limit;
}

std::optional<Deadline> earliest(std::optional<Deadline> a, std::optional<Deadline> b) {
    if (a && b) {
        return std::min(*a, *b);
    }
    return a ? a : b;
}

std::optional<ByteBuffer> readLengthAndPayload(Socket& socket, std::int32_t maxLength,
                                               std::optional<Deadline> deadline,
                                               FrameStatus& status) {
    const std::optional<ByteBuffer> header = socket.readData(4, deadline);
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
    std::optional<ByteBuffer> payload = socket.readData(length, deadline);
    status = payload ? FrameStatus::ok : failureOf(socket);
    return payload;
}

std::optional<ByteBuffer> readWithinLimits(Socket& socket, const FrameLimits& limits,
                                           FrameStatus& status) {
    const std::optional<Deadline> total = after(limits.totalTimeout);
    if (!socket.waitReadable(total)) {
        status = failureOf(socket);
        return std::nullopt;
    }
    if (limits.stallTimeout.count() > 0) {
        socket.setTimeouts(std::chrono::milliseconds{0}, limits.stallTimeout);
    }
    return readLengthAndPayload(socket, limits.maxLength,
                                earliest(total, after(limits.stallTimeout)), status);
}

}  // namespace

void appendFrame(ByteBuffer& frames, const ByteBuffer& payload) {
    const ByteBuffer length = littleEndianBytes(static_cast<std::int32_t>(payload.size()));
    frames.append(length.data(), length.size());
    frames.append(payload.data(), payload.size());
}

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
    const bool limited = limits.stallTimeout.count() > 0 || limits.totalTimeout.count() > 0;
    std::optional<ByteBuffer> payload =
        limited ? readWithinLimits(socket, limits, outcome)
                : readLengthAndPayload(socket, limits.maxLength, std::nullopt, outcome);
    if (status != nullptr) {
        *status = outcome;
    }
    return payload;
}

}  // namespace tarvendo
