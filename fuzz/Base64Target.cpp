#include <algorithm>

#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "protocol/Base64.h"
#include "protocol/ToolBox.h"

namespace tarvendo::fuzz {

namespace {

bool inAlphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Groups of four alphabet characters, the last one ending in at most two '='.
bool isStrictBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return false;
    }
    const std::size_t body = text.find_last_not_of('=') + 1;  // 0 when all '=' or empty
    return text.size() - body <= 2 && std::all_of(text.begin(), text.begin() + body, inAlphabet);
}

// The JSON library's own UTF-8 check: serialising invalid text throws.
bool isUtf8ByLibrary(std::string_view text) {
    try {
        static_cast<void>(Json(std::string(text)).dump());
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

void requireBytesRoundTrip(const ByteBuffer& bytes) {
    const std::string encoded = encodeBase64(bytes);
    require(encoded.size() == (bytes.size() + 2) / 3 * 4, "the encoding has the wrong length");
    require(isStrictBase64(encoded), "the encoding is not strict Base64");
    require(decodeBase64Bytes(encoded) == bytes, "encoded bytes decode to other bytes");
    const std::optional<std::string> decoded = decodeBase64(encoded);
    require(decoded.has_value() == isUtf8ByLibrary(bytes.text()),
            "decoded as text exactly when the bytes are UTF-8");
    require(!decoded || *decoded == bytes.text(), "decoded text differs from the bytes");
}

// Encoders write zeros into the bits after the last byte; a decoder may
// ignore them, so the re-encoding may differ only in the last character
// before the padding.
bool sameUpToUnusedBits(std::string_view reencoded, std::string_view text) {
    const std::size_t last = text.find_last_not_of('=');
    return reencoded.size() == text.size() &&
           (last == std::string_view::npos
                ? reencoded == text
                : reencoded.substr(0, last) == text.substr(0, last) &&
                      reencoded.substr(last + 1) == text.substr(last + 1));
}

void requireTextRoundTrip(std::string_view text) {
    const std::optional<ByteBuffer> decoded = decodeBase64Bytes(text);
    require(decoded.has_value() == isStrictBase64(text), "decoded exactly when strict Base64");
    if (decoded) {
        const std::string reencoded = encodeBase64(*decoded);
        require(sameUpToUnusedBits(reencoded, text), "re-encoding changed more than unused bits");
    }
}

}  // namespace

void fuzzBase64(const std::uint8_t* data, std::size_t size) {
    const ByteBuffer bytes(data, size);
    require(isValidUtf8(bytes.text()) == isUtf8ByLibrary(bytes.text()),
            "the UTF-8 check disagrees with the JSON library's");
    requireBytesRoundTrip(bytes);
    requireTextRoundTrip(bytes.text());
}

}  // namespace tarvendo::fuzz
