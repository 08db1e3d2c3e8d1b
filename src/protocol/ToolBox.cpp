#include "protocol/ToolBox.h"

#include <string>

#include "transport/Diagnostics.h"

namespace tarvendo {

namespace {

// True when arrays and objects nest deeper than the limit anywhere in the
// text; brackets inside strings do not count. Looks at the text only, so it
// is safe whatever the nesting.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (escaped) {
            escaped = false;
        } else if (inString) {
            escaped = c == '\\';
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return true;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

std::optional<Json> refuse(std::string_view prefix, std::string_view why) {
    printLine(std::string(prefix) + "Serialization error: " + quotedPeerText(why));
    return std::nullopt;
}

}  // namespace

std::optional<ByteBuffer> ToolBox::toJsonObject(const std::optional<Json>& container) {
    if (!container) {
        return std::nullopt;
    }
    try {
        return ByteBuffer::fromText(container->dump());
    } catch (const Json::exception& error) {
        printLine(std::string("Serialization error: ") + error.what());
        return std::nullopt;
    }
}

std::optional<Json> ToolBox::fromJsonObject(const std::optional<ByteBuffer>& data) {
    if (!data) {
        return std::nullopt;
    }
    return parse(data->text(), "", true);
}

std::optional<Json> ToolBox::parse(std::string_view text, std::string_view diagnosticPrefix,
                                   bool arrayAllowed) {
    if (nestsDeeperThan(text, kMaxNesting)) {
        return refuse(diagnosticPrefix, "nested deeper than " + std::to_string(kMaxNesting));
    }
    try {
        Json value = Json::parse(text);
        if (!value.is_object() && !(arrayAllowed && value.is_array())) {
            return refuse(diagnosticPrefix, arrayAllowed
                                                ? "the top level is neither an object nor an array"
                                                : "the top level is not an object");
        }
        return value;
    } catch (const Json::exception& error) {
        return refuse(diagnosticPrefix, error.what());
    }
}

}  // namespace tarvendo
