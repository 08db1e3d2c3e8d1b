#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "transport/ByteBuffer.h"

namespace tarvendo {

// Standard alphabet, with padding, without line breaks.
std::string encodeBase64(const ByteBuffer& data);
// Strict: any character outside the alphabet, a bad length or misplaced
// padding gives absent.
std::optional<ByteBuffer> decodeBase64Bytes(std::string_view text);
// The decoded bytes as text; absent unless they are valid UTF-8.
std::optional<std::string> decodeBase64(std::string_view text);

bool isValidUtf8(std::string_view text);

}  // namespace tarvendo
