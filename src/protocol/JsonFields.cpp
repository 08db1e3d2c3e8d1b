#include "protocol/JsonFields.h"

#include <cmath>

#include "protocol/Base64.h"

namespace tarvendo::json_fields {

std::optional<std::int64_t> integer(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    // Unsigned first: is_number_integer() holds for unsigned values too, and
    // one above INT64_MAX would wrap around to a negative number.
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        return value <= static_cast<std::uint64_t>(INT64_MAX)
                   ? std::optional<std::int64_t>(static_cast<std::int64_t>(value))
                   : std::nullopt;
    }
    if (found->is_number_integer()) {
        return found->get<std::int64_t>();
    }
    if (found->is_number_float()) {
        const double value = found->get<double>();
        if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < 9.0e18) {
            return static_cast<std::int64_t>(value);
        }
    }
    return std::nullopt;
}

std::optional<std::string> text(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<ByteBuffer> base64Body(const Json& object, const char* key) {
    const std::optional<std::string> encoded = text(object, key);
    if (!encoded) {
        return std::nullopt;
    }
    const std::optional<std::string> decoded = decodeBase64(*encoded);
    if (!decoded) {
        return std::nullopt;
    }
    return ByteBuffer::fromText(*decoded);
}

void putOptional(Json& object, const char* key, const std::optional<std::string>& value) {
    if (value) {
        object[key] = *value;
    }
}

void putBody(Json& object, const char* key, const std::optional<ByteBuffer>& body) {
    if (body) {
        object[key] = encodeBase64(*body);
    }
}

}  // namespace tarvendo::json_fields
