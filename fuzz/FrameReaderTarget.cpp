#include <algorithm>
#include <bit>
#include <cstring>

#include "fuzz/Fuzz.h"

namespace tarvendo::fuzz {

// The length prefix is the in-memory image of the integer on a
// little-endian machine.
static_assert(std::endian::native == std::endian::little);

FrameReads modelFrameReads(std::string_view stream, std::int32_t maxLength) {
    FrameReads reads;
    std::int32_t length = 0;
    // A length prefix cut short is lost with the connection.
    while (stream.size() >= sizeof length) {
        std::memcpy(&length, stream.data(), sizeof length);
        stream.remove_prefix(sizeof length);
        if (length > maxLength || (length > 0 && stream.empty())) {
            reads.end = length > maxLength ? FrameStatus::tooLong : FrameStatus::closed;
            break;
        }
        // A payload cut short by the close is delivered as far as it came.
        const auto taken = std::min(static_cast<std::size_t>(std::max(length, 0)), stream.size());
        reads.payloads.emplace_back(stream.substr(0, taken));
        stream.remove_prefix(taken);
    }
    return reads;
}

// The first byte picks the limits: a small length limit (-8...118) reaches
// the refusal of long frames, the high bit the read with a stall limit.
void fuzzFrameReader(std::string_view input) {
    if (input.empty()) {
        return;
    }
    const int choice = static_cast<std::uint8_t>(input[0]);
    const FrameLimits limits{(choice & 0x7F) == 0x7F ? kMaxFrameLength : (choice & 0x7F) - 8,
                             std::chrono::milliseconds((choice & 0x80) != 0 ? 1000 : 0)};
    const std::string_view stream = input.substr(1);
    const Loopback loopback(stream);
    const FrameReads expected = modelFrameReads(stream, limits.maxLength);
    FrameReader frames(*loopback.reader, limits);
    for (const std::string& payload : expected.payloads) {
        const std::optional<ByteBuffer> read = frames.next();
        require(read && read->text() == payload, "a frame differs from the bytes sent");
    }
    FrameStatus status = FrameStatus::ok;
    require(!frames.next(&status) && status == expected.end,
            "the stream ends otherwise than its bytes say");
}

}  // namespace tarvendo::fuzz
