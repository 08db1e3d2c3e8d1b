#pragma once

#include <optional>
#include <string>

#include "protocol/RequestCode.h"
#include "transport/ByteBuffer.h"

namespace tarvendo {

// A message asking the other side to do something, in either direction.
struct Request {
    RequestCode request = RequestCode::logout;
    std::optional<std::string> token;
    std::optional<std::string> query;
    // UTF-8 JSON text; travels as Base64.
    std::optional<ByteBuffer> data;

    // The compact JSON form; absent if it cannot be serialized.
    std::optional<ByteBuffer> json() const;
    // Absent unless the buffer is a JSON object with "request" in 0...8.
    // Fields of the wrong type are ignored.
    static std::optional<Request> usingJson(const ByteBuffer& buffer);
    // Two lines for diagnostics.
    std::string description() const;
};

// The Optional("v") / nil form used by the diagnostic descriptions.
std::string describeOptional(const std::optional<std::string>& value);

}  // namespace tarvendo
