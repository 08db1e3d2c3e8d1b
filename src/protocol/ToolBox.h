#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "transport/ByteBuffer.h"

namespace tarvendo {

using Json = nlohmann::json;

// Conversions between JSON values and their compact UTF-8 text. Failures
// print one "Serialization error: " line and give absent.
class ToolBox {
public:
    // Our messages nest three levels at most; anything from the network that
    // nests deeper is refused before a recursive step could exhaust a stack.
    static constexpr std::size_t kMaxNesting = 64;

    static std::optional<ByteBuffer> toJsonObject(const std::optional<Json>& container);
    // Only an object or an array is accepted at the top level.
    static std::optional<Json> fromJsonObject(const std::optional<ByteBuffer>& data);
    // The text's value, or absent after a line that starts with the prefix:
    // not JSON, nested deeper than kMaxNesting, or not an object at the top
    // level (arrays too where allowed).
    static std::optional<Json> parse(std::string_view text, std::string_view diagnosticPrefix,
                                     bool arrayAllowed);
};

}  // namespace tarvendo
