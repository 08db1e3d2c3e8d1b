#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "transport/Frame.h"
#include "transport/Socket.h"

// The fuzz entry points: each drives one part of the system with arbitrary
// bytes and throws when a property that must hold for every input does not.
namespace tarvendo::fuzz {

void fuzzFrameReader(std::string_view input);
void fuzzClientServer(std::string_view input);
void fuzzGame(std::string_view input);

// Uncaught, it ends a libFuzzer run as a crash, which keeps the input.
inline void require(bool holds, const char* what) {
    if (!holds) {
        throw std::logic_error(what);
    }
}

// A fresh TCP connection on 127.0.0.1 for one input: the feeder writes the
// bytes and half-closes, so the reader, a Socket as the product uses it,
// meets the end after them. The bytes are all written before anything reads
// them: the connection's buffers take MiBs, run-fuzzers feeds 4 KiB at most.
struct Loopback {
    explicit Loopback(std::string_view bytes);

    std::shared_ptr<Socket> feeder;
    std::shared_ptr<Socket> reader;
};

// The reads a frame reader with this length limit makes of a stream that
// ends after its last byte, worked out from the bytes alone: each frame's
// payload, then the failure that ends the connection.
struct FrameReads {
    std::vector<std::string> payloads;
    FrameStatus end = FrameStatus::closed;
};

FrameReads modelFrameReads(std::string_view stream, std::int32_t maxLength);

}  // namespace tarvendo::fuzz
