#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "transport/Socket.h"

namespace tarvendo::fuzz {

// Inputs larger than this are skipped: the whole input is written before
// anything reads it, so it must fit into the connection's buffers.
inline constexpr std::size_t kMaxFedBytes = 16 * 1024;

// A fresh TCP connection on 127.0.0.1 for one fuzz input: the reading end
// is a Socket as the product uses it, the feeding end a plain descriptor.
class LoopbackFeed {
public:
    LoopbackFeed();
    ~LoopbackFeed();
    LoopbackFeed(const LoopbackFeed&) = delete;
    LoopbackFeed& operator=(const LoopbackFeed&) = delete;

    const std::shared_ptr<Socket>& reader() const { return reader_; }
    // Writes the bytes, then half-closes: the reader meets the end after
    // them. A reader that has shut its end takes no more.
    void send(std::string_view bytes);
    // Everything the reading end writes back until it shuts its side down.
    std::string receiveAll();

private:
    int feeder_ = -1;
    std::shared_ptr<Socket> reader_;
};

}  // namespace tarvendo::fuzz
