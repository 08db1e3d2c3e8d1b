#include "fuzz/ByteReader.h"

#include <algorithm>

namespace tarvendo::fuzz {

std::uint8_t ByteReader::byte() {
    if (text_.empty()) {
        return 0;
    }
    const auto value = static_cast<std::uint8_t>(text_.front());
    text_.remove_prefix(1);
    return value;
}

std::string ByteReader::text(std::size_t maxLength) {
    const std::size_t length = std::min({std::size_t{byte()}, maxLength, text_.size()});
    std::string taken(text_.substr(0, length));
    text_.remove_prefix(length);
    return taken;
}

std::string_view ByteReader::rest() {
    const std::string_view all = text_;
    text_ = {};
    return all;
}

}  // namespace tarvendo::fuzz
