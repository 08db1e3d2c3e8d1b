#include <string>

#include "fuzz/ByteReader.h"
#include "fuzz/FrameModel.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "fuzz/LoopbackFeed.h"

namespace tarvendo::fuzz {

namespace {

// The first byte picks the limits: a small length limit (-8...118) reaches
// the refusal of long frames, the high bit the read with a stall limit.
FrameLimits limitsFrom(std::uint8_t choice) {
    const int small = choice & 0x7F;
    const std::int32_t maxLength = small == 0x7F ? kMaxFrameLength : small - 8;
    const std::chrono::milliseconds stall{(choice & 0x80) != 0 ? 1000 : 0};
    return FrameLimits{maxLength, stall};
}

std::string describe(std::size_t index, const std::string& what) {
    return "frame " + std::to_string(index) + ": " + what;
}

}  // namespace

void fuzzFrameReader(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxFedBytes) {
        return;
    }
    ByteReader input(data, size);
    const FrameLimits limits = limitsFrom(input.byte());
    const std::string_view stream = input.rest();
    LoopbackFeed feed;
    feed.send(stream);
    const std::vector<ModelFrame> expected = modelFrames(stream, limits.maxLength);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FrameStatus status = FrameStatus::ok;
        const std::optional<ByteBuffer> payload = readFrame(*feed.reader(), limits, &status);
        require(status == expected[i].status,
                describe(i, "status " + std::to_string(static_cast<int>(status)) +
                                " where the bytes call for " +
                                std::to_string(static_cast<int>(expected[i].status))));
        require(payload.has_value() == (status == FrameStatus::ok),
                describe(i, "a payload goes with ok and only with ok"));
        require(!payload || payload->text() == expected[i].payload,
                describe(i, "the payload differs from the bytes sent"));
    }
}

}  // namespace tarvendo::fuzz
