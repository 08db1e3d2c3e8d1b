#pragma once

#include <optional>

#include <nlohmann/json.hpp>

#include "transport/ByteBuffer.h"

namespace tarvendo {

using Json = nlohmann::json;

// Conversions between JSON values and their compact UTF-8 text. Failures
// print one "Serialization error: " line and give absent.
class ToolBox {
public:
    static std::optional<ByteBuffer> toJsonObject(const std::optional<Json>& container);
    // Only an object or an array is accepted at the top level.
    static std::optional<Json> fromJsonObject(const std::optional<ByteBuffer>& data);
};

}  // namespace tarvendo
