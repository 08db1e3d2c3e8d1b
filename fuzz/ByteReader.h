#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvendo::fuzz {

// Takes a fuzz input apart front to back. Reads past the end give zeros and
// empty texts, so every input, however short, decodes to something.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    bool empty() const { return text_.empty(); }
    std::uint8_t byte();
    // A length byte (cut to maxLength), then that many bytes.
    std::string text(std::size_t maxLength);
    // Everything not read yet; the reader is empty afterwards.
    std::string_view rest();

private:
    std::string_view text_;
};

}  // namespace tarvendo::fuzz
