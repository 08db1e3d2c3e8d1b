#include "server/Text.h"

#include "protocol/JsonFields.h"

namespace tarvendo::server {

namespace {

constexpr std::string_view kBlank = " \t\n\r\v\f";

}  // namespace

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlank);
    return std::string(text.substr(first, last - first + 1));
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char byte : utf8) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(byte) & 0xC0U) != 0x80U) {
            ++count;
        }
    }
    return count;
}

std::optional<Json> bodyObject(const Request& request) {
    if (!request.data) {
        return std::nullopt;
    }
    std::optional<Json> body = ToolBox::fromJsonObject(request.data);
    if (!body || !body->is_object()) {
        return std::nullopt;
    }
    return body;
}

std::optional<std::string> filledText(const Json& object, const char* key) {
    const std::optional<std::string> value = json_fields::text(object, key);
    if (!value) {
        return std::nullopt;
    }
    std::string text = trimmed(*value);
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace tarvendo::server
