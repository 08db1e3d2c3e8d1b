#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "protocol/Request.h"
#include "transport/ByteBuffer.h"
#include "transport/Frame.h"
#include "transport/Socket.h"

namespace tarvendo::test {

// A connected TCP pair on 127.0.0.1: what one side writes, the other reads.
struct LoopbackPair {
    std::shared_ptr<Socket> client;
    std::shared_ptr<Socket> server;
};

LoopbackPair makeLoopbackPair();

// A listening socket on 127.0.0.1 with a kernel-chosen port.
struct Listener {
    std::shared_ptr<Socket> socket;
    std::int32_t port = 0;
};

Listener makeListener();
// Accepts one connection; absent when none comes within the time-out.
std::shared_ptr<Socket> acceptOne(const Listener& listener, int timeoutMs = 5000);
// A port nobody listens on right now.
std::int32_t freePort();

// Writes raw bytes, bypassing the frame writer.
void writeRaw(Socket& socket, const std::string& bytes);
// A length prefix, whatever the payload's real length, then the payload.
ByteBuffer frameBytes(std::int32_t length, const std::string& payload = {});

// The sending end of a connection to a listening port on 127.0.0.1, as the
// game server is to a client server, or a client to the game server. Every
// read gives up after five seconds; a failed connect or send throws.
class FramePeer {
public:
    explicit FramePeer(std::int32_t port, const std::string& from = "127.0.0.1");

    void send(const Request& request);
    void sendFrame(const ByteBuffer& payload);
    void sendBytes(const ByteBuffer& bytes);
    std::optional<ByteBuffer> nextFrame();
    // True when the other end has closed the connection.
    bool seesEndOfStream();
    // True when nothing at all has arrived so far.
    bool hasNothingToRead();
    void close() { socket_->close(); }
    Socket& socket() { return *socket_; }

private:
    std::shared_ptr<Socket> socket_;
    FrameReader frames_;
};

}  // namespace tarvendo::test
