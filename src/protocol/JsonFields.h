#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/ToolBox.h"
#include "transport/ByteBuffer.h"

// Field readers shared by the request and answer codecs: a field of the wrong
// type reads as absent.
namespace tarvendo::json_fields {

// An integer, or a floating-point number with an integral value in range.
std::optional<std::int64_t> integer(const Json& object, const char* key);
std::optional<std::string> text(const Json& object, const char* key);
// A Base64 string whose bytes are UTF-8 text.
std::optional<ByteBuffer> base64Body(const Json& object, const char* key);

void putOptional(Json& object, const char* key, const std::optional<std::string>& value);
void putBody(Json& object, const char* key, const std::optional<ByteBuffer>& body);

}  // namespace tarvendo::json_fields
