#include "transport/Frame.h"

#include <algorithm>
#include <array>

namespace tarvendo {

namespace {

using Deadline = Socket::Deadline;

constexpr std::size_t kLengthSize = 4;
// The pushes of an opening to a team of 24 (every vote, then Open) fit in one
// read; a longer frame grows the room as its bytes come, not as announced.
constexpr std::size_t kReadSize = std::size_t{8} * 1024;

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

}  // namespace

void appendFrame(ByteBuffer& frames, const ByteBuffer& payload) {
    const std::array<std::uint8_t, kLengthSize> length =
        littleEndianArray(static_cast<std::int32_t>(payload.size()));
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

FrameReader::FrameReader(Socket& socket, FrameLimits limits, Reads reads)
    : socket_(socket), limits_(limits), reads_(reads) {
    if (limits_.stallTimeout.count() > 0) {
        socket_.setTimeouts(std::chrono::milliseconds{0}, limits_.stallTimeout);
    }
}

std::optional<ByteBuffer> FrameReader::next(FrameStatus* status) {
    FrameStatus outcome = FrameStatus::ok;
    std::optional<ByteBuffer> payload = take(outcome);
    if (status != nullptr) {
        *status = outcome;
    }
    return payload;
}

std::optional<ByteBuffer> FrameReader::take(FrameStatus& status) {
    const std::optional<Deadline> total = after(limits_.totalTimeout);
    // Waiting for a frame to start is bound only by the total limit.
    status = fill(1, total);
    const std::optional<Deadline> deadline = earliest(total, after(limits_.stallTimeout));
    if (status == FrameStatus::ok) {
        status = fill(kLengthSize, deadline);
    }
    if (status != FrameStatus::ok) {
        return std::nullopt;  // the peer closing inside the length sent no frame
    }
    const std::int32_t length = littleEndianInt32(&bytes_[start_], kLengthSize);
    if (length > limits_.maxLength) {
        status = FrameStatus::tooLong;
        return std::nullopt;
    }
    const std::size_t size = kLengthSize + static_cast<std::size_t>(std::max(length, 0));
    status = fill(size, deadline);
    if (status == FrameStatus::closed && buffered() > kLengthSize) {
        status = FrameStatus::ok;
    }
    if (status != FrameStatus::ok) {
        return std::nullopt;
    }
    const std::size_t taken = std::min(size, buffered());
    ByteBuffer payload(&bytes_[start_ + kLengthSize], taken - kLengthSize);
    start_ += taken;
    return payload;
}

FrameStatus FrameReader::fill(std::size_t count, std::optional<Deadline> deadline) {
    while (buffered() < count) {
        makeRoom(count);
        // An exact read may take the whole length while waiting for its first byte.
        const std::size_t room = reads_ == Reads::burst
                                     ? bytes_.size()
                                     : std::min(std::max(count, kLengthSize), bytes_.size());
        const std::int32_t got =
            socket_.readSome(&bytes_[end_], static_cast<std::int32_t>(room - end_), deadline);
        if (got <= 0) {
            return got < 0 && socket_.lastReadTimedOut() ? FrameStatus::timedOut
                                                         : FrameStatus::closed;
        }
        end_ += static_cast<std::size_t>(got);
    }
    return FrameStatus::ok;
}

void FrameReader::makeRoom(std::size_t count) {
    // What is left is the start of one frame at most: move it to the front.
    std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(start_),
              bytes_.begin() + static_cast<std::ptrdiff_t>(end_), bytes_.begin());
    end_ -= start_;
    start_ = 0;
    const std::size_t room = std::max(kReadSize, std::min(count, end_ + std::max(kReadSize, end_)));
    if (bytes_.size() < room) {
        bytes_.resize(room);
    } else if (end_ == 0 && bytes_.size() > kReadSize) {
        // A long frame has gone: so does its room.
        bytes_.resize(kReadSize);
        bytes_.shrink_to_fit();
    }
}

}  // namespace tarvendo
