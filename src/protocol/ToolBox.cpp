#include "protocol/ToolBox.h"

#include <string>

#include "transport/Diagnostics.h"

namespace tarvendo {

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
    try {
        Json value = Json::parse(data->text());
        if (!value.is_object() && !value.is_array()) {
            printLine("Serialization error: the top level is neither an object nor an array");
            return std::nullopt;
        }
        return value;
    } catch (const Json::exception& error) {
        printLine(std::string("Serialization error: ") + error.what());
        return std::nullopt;
    }
}

}  // namespace tarvendo
