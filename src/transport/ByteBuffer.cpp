#include "transport/ByteBuffer.h"

namespace tarvendo {

ByteBuffer ByteBuffer::fromText(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::int32_t ByteBuffer::asInt32() const {
    return littleEndianInt32(bytes_.data(), bytes_.size());
}

std::int32_t littleEndianInt32(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count && i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

std::array<std::uint8_t, 4> littleEndianArray(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits & 0xFFU), static_cast<std::uint8_t>((bits >> 8) & 0xFFU),
            static_cast<std::uint8_t>((bits >> 16) & 0xFFU),
            static_cast<std::uint8_t>((bits >> 24) & 0xFFU)};
}

ByteBuffer littleEndianBytes(std::int32_t value) {
    const std::array<std::uint8_t, 4> bytes = littleEndianArray(value);
    return {bytes.data(), bytes.size()};
}

}  // namespace tarvendo
