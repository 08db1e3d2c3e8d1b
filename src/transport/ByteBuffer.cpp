#include "transport/ByteBuffer.h"

namespace tarvendo {

ByteBuffer ByteBuffer::fromText(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::int32_t ByteBuffer::asInt32() const {
    std::uint32_t value = 0;
    const std::size_t count = bytes_.size() < 4 ? bytes_.size() : 4;
    for (std::size_t i = 0; i < count; ++i) {
        value |= static_cast<std::uint32_t>(bytes_[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

ByteBuffer littleEndianBytes(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return ByteBuffer(std::vector<std::uint8_t>{static_cast<std::uint8_t>(bits & 0xFFU),
                                                static_cast<std::uint8_t>((bits >> 8) & 0xFFU),
                                                static_cast<std::uint8_t>((bits >> 16) & 0xFFU),
                                                static_cast<std::uint8_t>((bits >> 24) & 0xFFU)});
}

}  // namespace tarvendo
