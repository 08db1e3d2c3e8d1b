#include "fuzz/FrameModel.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tarvendo::fuzz {

namespace {

// The length prefix is the in-memory image of the integer on a
// little-endian machine.
static_assert(std::endian::native == std::endian::little);

std::int32_t prefixValue(std::string_view prefix) {
    std::int32_t value = 0;
    std::memcpy(&value, prefix.data(), sizeof value);
    return value;
}

}  // namespace

std::vector<ModelFrame> modelFrames(std::string_view stream, std::int32_t maxLength) {
    std::vector<ModelFrame> frames;
    while (stream.size() >= 4) {
        const std::int32_t length = prefixValue(stream);
        stream.remove_prefix(4);
        if (length > maxLength) {
            frames.push_back({FrameStatus::tooLong, {}});
            return frames;
        }
        if (length > 0 && stream.empty()) {
            break;
        }
        // A payload cut short by the close is delivered as far as it came.
        const std::size_t taken =
            std::min(static_cast<std::size_t>(std::max(length, 0)), stream.size());
        frames.push_back({FrameStatus::ok, std::string(stream.substr(0, taken))});
        stream.remove_prefix(taken);
    }
    // A length prefix cut short is lost with the connection.
    frames.push_back({FrameStatus::closed, {}});
    return frames;
}

}  // namespace tarvendo::fuzz
