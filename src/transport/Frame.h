#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "transport/ByteBuffer.h"
#include "transport/Socket.h"

// The one frame format of every message: a signed 32-bit little-endian length,
// then that many bytes of UTF-8 JSON. Every sender and receiver goes through here.
namespace tarvendo {

// Protocol messages are a few hundred bytes; a peer announcing more than this
// is refused instead of being allowed to stream unbounded data into memory.
inline constexpr std::int32_t kMaxFrameLength = 1 << 20;

// Time limits hold for the frame as a whole, not for each read: a peer that
// trickles a frame in a byte at a time runs out of time like a silent one.
struct FrameLimits {
    std::int32_t maxLength = kMaxFrameLength;
    // Once a frame's first byte is there, the rest must follow within this
    // time (zero: no limit). Writes on the connection get the same limit.
    std::chrono::milliseconds stallTimeout{0};
    // From the call on, the whole frame, waiting for it included, must be
    // there within this time (zero: waiting for a frame to start is not limited).
    std::chrono::milliseconds totalTimeout{0};
};

// Writes the length with one write and, only if that succeeded, the payload.
// True when both were written.
bool writeFrame(Socket& socket, const ByteBuffer& payload);

// Appends the payload as one frame (length, then payload) to bytes that go
// out together: several frames for one peer leave in one write.
void appendFrame(ByteBuffer& frames, const ByteBuffer& payload);

enum class FrameStatus {
    ok,
    closed,    // closed by the peer or failed
    timedOut,  // a time limit passed
    tooLong,   // the announced length is over the limit
};

// Reads the frames of one connection. Each read takes all the peer has sent
// so far, so a burst of frames costs one system call instead of two per
// frame; the bytes past a frame wait here for the next call. One reader per
// connection, used by one thread.
class FrameReader {
public:
    enum class Reads {
        burst,
        // Nothing past the frame: it stays in the system for the next reader.
        exact,
    };
    // A stall limit also bounds every write on the socket.
    explicit FrameReader(Socket& socket, FrameLimits limits = {}, Reads reads = Reads::burst);

    // The next frame's payload; a length of zero or less gives an empty
    // payload, and a payload the peer's close cut short comes as far as it
    // came. Absent when the connection closed, failed or timed out, or the
    // length is over the limit: after the last two the connection is out of
    // step and must not be used further.
    std::optional<ByteBuffer> next(FrameStatus* status = nullptr);
    // The limits of the next frames: the first of a connection may have to
    // come sooner than the rest.
    void setLimits(const FrameLimits& limits) { limits_ = limits; }

private:
    std::optional<ByteBuffer> take(FrameStatus& status);
    // Reads until count bytes wait or the deadline passes; ok when they do,
    // closed when the peer closed first.
    FrameStatus fill(std::size_t count, std::optional<Socket::Deadline> deadline);
    std::size_t buffered() const { return end_ - start_; }
    // Room for count bytes from start_ on, and more for what else has come.
    void makeRoom(std::size_t count);

    Socket& socket_;
    FrameLimits limits_;
    const Reads reads_;
    std::vector<std::uint8_t> bytes_;  // read but not yet taken: [start_, end_)
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

}  // namespace tarvendo
