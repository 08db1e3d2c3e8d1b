#include "protocol/Request.h"

#include "protocol/JsonFields.h"
#include "protocol/ToolBox.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

std::optional<ByteBuffer> Request::json() const {
    Json object = Json::object();
    object["request"] = static_cast<std::int32_t>(request);
    json_fields::putOptional(object, "token", token);
    json_fields::putBody(object, "data", data);
    json_fields::putOptional(object, "query", query);
    try {
        return ByteBuffer::fromText(object.dump());
    } catch (const Json::exception& error) {
        printLine(std::string("json()(84): Serialization error: ") + error.what());
        return std::nullopt;
    }
}

std::optional<Request> Request::usingJson(const ByteBuffer& buffer) {
    const std::optional<Json> parsed =
        ToolBox::parse(buffer.text(), "init(usingJson:)(41): ", false);
    if (!parsed) {
        return std::nullopt;
    }
    const Json& object = *parsed;
    const std::optional<std::int64_t> value = json_fields::integer(object, "request");
    const std::optional<RequestCode> code = value ? requestCodeFrom(*value) : std::nullopt;
    if (!code) {
        return std::nullopt;
    }
    return Request{*code, json_fields::text(object, "token"), json_fields::text(object, "query"),
                   json_fields::base64Body(object, "data")};
}

std::string describeOptional(const std::optional<std::string>& value) {
    return value ? "Optional(\"" + quotedPeerText(*value, true) + "\")" : std::string("nil");
}

std::string Request::description() const {
    const std::optional<std::string> body =
        data ? std::optional<std::string>(std::string(data->text())) : std::nullopt;
    return "(request: " + std::string(name(request)) + ", query: " + describeOptional(query) +
           ", token: " + describeOptional(token) + ")\ndata: " + describeOptional(body);
}

}  // namespace tarvendo
