#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "transport/ByteBuffer.h"

namespace tarvendo {

// One TCP descriptor with blocking reads and writes. -1 means no usable socket.
class Socket {
public:
    // With -1, a new IPv4 stream descriptor; otherwise adopts the given one.
    // Sets SO_REUSEADDR and SO_KEEPALIVE; absent (and nothing left open) on failure.
    static std::shared_ptr<Socket> create(std::int32_t descriptor = -1);

    // Releases a descriptor that is still open: a process must not leak them.
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    std::int32_t descriptor() const { return socketFileDescriptor_.load(); }
    bool isOpen() const { return descriptor() != -1; }

    using Deadline = std::chrono::steady_clock::time_point;

    // bytesToRead bytes, fewer if the peer closed part-way; absent if the socket
    // is closed, the peer closed before sending anything, or a read failed.
    std::optional<ByteBuffer> readData(std::int32_t bytesToRead);
    // Waits for bytes (no later than the deadline, if one is given, whatever
    // the receive time-out) and takes what has come, at most capacity: how
    // many, 0 when the peer has closed, -1 on a failure or time-out.
    std::int32_t readSome(std::uint8_t* into, std::int32_t capacity,
                          std::optional<Deadline> deadline = std::nullopt);
    // True when every byte was taken by the platform. moreFollows: the next
    // write follows at once and may share its segment (see write_bytes).
    bool writeData(const ByteBuffer& data, bool moreFollows = false);
    // Writes what the platform takes at once without waiting: how many bytes
    // went out (0: none fit), or -1 when the connection has failed.
    std::int64_t tryWrite(const std::uint8_t* data, std::size_t size);
    // The peer's dotted IPv4 address.
    std::optional<std::string> address() const;

    // Limits every blocking read and write; zero means wait forever.
    bool setTimeouts(std::chrono::milliseconds receive, std::chrono::milliseconds send);
    // Wakes any thread blocked on this socket; safe from any thread. The
    // descriptor stays allocated until close().
    void shutdown();
    // Shuts down both directions, stores -1, then releases the descriptor.
    // Only the thread that owns the socket calls it.
    void close();
    // A closed socket gets a new descriptor with the same options.
    bool reopen();
    // Whether the last failed read ended on the receive time-out or its deadline.
    bool lastReadTimedOut() const { return lastReadTimedOut_; }

private:
    explicit Socket(std::int32_t descriptor) : socketFileDescriptor_(descriptor) {}
    static bool configure(std::int32_t descriptor);

    std::atomic<std::int32_t> socketFileDescriptor_;
    bool lastReadTimedOut_ = false;  // only the reading thread uses it
};

}  // namespace tarvendo
