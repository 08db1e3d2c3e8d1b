#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvendo {

// The owned, growable byte sequence in which payloads and bodies travel.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    ByteBuffer(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}

    // The UTF-8 bytes of a text, unchanged.
    static ByteBuffer fromText(std::string_view text);

    // Signed 32-bit little-endian value of the first four bytes; 0 when empty.
    // Fewer than four bytes are read as the low bytes of the value, never past the end.
    std::int32_t asInt32() const;
    // A copy of the contents.
    std::vector<std::uint8_t> bytes() const { return bytes_; }

    std::string_view text() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    void append(const std::uint8_t* data, std::size_t size) {
        bytes_.insert(bytes_.end(), data, data + size);
    }

    bool operator==(const ByteBuffer&) const = default;

private:
    std::vector<std::uint8_t> bytes_;
};

// The signed value of up to four little-endian bytes (asInt32 without a buffer).
std::int32_t littleEndianInt32(const std::uint8_t* bytes, std::size_t count);

// The 4-byte little-endian image of a value.
std::array<std::uint8_t, 4> littleEndianArray(std::int32_t value);
ByteBuffer littleEndianBytes(std::int32_t value);

}  // namespace tarvendo
