#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transport/Frame.h"

namespace tarvendo::fuzz {

// One read of a frame reader, as the wire format says it must turn out.
struct ModelFrame {
    FrameStatus status = FrameStatus::ok;
    std::string payload;  // only with ok
};

// The reads a frame reader with the given length limit makes of a stream
// that ends after its last byte: every frame in order, then the failure that
// ends the connection (closed, or tooLong after which nothing is read).
// Worked out from the bytes alone, without the product's frame code.
std::vector<ModelFrame> modelFrames(std::string_view stream, std::int32_t maxLength);

}  // namespace tarvendo::fuzz
