#include "protocol/Base64.h"

#include <array>
#include <cstdint>

namespace tarvendo {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> makeDecodeTable() {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<std::uint8_t>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr std::array<std::int8_t, 256> kDecodeTable = makeDecodeTable();

// Decodes one group of four characters, of which the last `padding` are '='.
bool decodeQuad(std::string_view quad, std::size_t padding, ByteBuffer& out) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::int8_t value =
            i < 4 - padding ? kDecodeTable[static_cast<std::uint8_t>(quad[i])] : std::int8_t{0};
        if (value < 0) {
            return false;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
    }
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(bits >> 16),
                                   static_cast<std::uint8_t>(bits >> 8),
                                   static_cast<std::uint8_t>(bits)};
    out.append(bytes, 3 - padding);
    return true;
}

std::size_t paddingOf(std::string_view text) {
    if (text.ends_with("==")) {
        return 2;
    }
    return text.ends_with('=') ? 1 : 0;
}

std::size_t sequenceLength(std::uint8_t lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Rejects overlong forms, surrogates and values above U+10FFFF.
bool validContinuation(std::uint8_t lead, std::uint8_t second) {
    if (lead == 0xE0)
        return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED)
        return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0)
        return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4)
        return second >= 0x80 && second <= 0x8F;
    return (second & 0xC0) == 0x80;
}

}  // namespace

std::string encodeBase64(const ByteBuffer& data) {
    std::string text;
    text.reserve((data.size() + 2) / 3 * 4);
    const std::uint8_t* bytes = data.data();
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t count = data.size() - i < 3 ? data.size() - i : 3;
        std::uint32_t bits = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (count > 1)
            bits |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (count > 2)
            bits |= bytes[i + 2];
        for (std::size_t j = 0; j < 4; ++j) {
            text.push_back(j <= count ? kAlphabet[(bits >> (18 - 6 * j)) & 0x3F] : '=');
        }
    }
    return text;
}

std::optional<ByteBuffer> decodeBase64Bytes(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    const std::size_t padding = paddingOf(text);
    ByteBuffer out;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        if (!decodeQuad(text.substr(i, 4), last ? padding : 0, out)) {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    std::optional<ByteBuffer> bytes = decodeBase64Bytes(text);
    if (!bytes || !isValidUtf8(bytes->text())) {
        return std::nullopt;
    }
    return std::string(bytes->text());
}

bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = sequenceLength(bytes[i]);
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        if (length > 1 && !validContinuation(bytes[i], bytes[i + 1])) {
            return false;
        }
        for (std::size_t j = 2; j < length; ++j) {
            if ((bytes[i + j] & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace tarvendo
