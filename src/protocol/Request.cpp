#include "protocol/Request.h"

#include "protocol/Base64.h"
#include "protocol/JsonFields.h"
#include "protocol/PlainJson.h"
#include "protocol/ToolBox.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

namespace {

bool isPlain(const std::optional<std::string>& text) {
    return !text || plain_json::isPlain(*text);
}

ByteBuffer plainJson(const Request& request, const std::optional<std::string>& body) {
    const auto sizeOf = [](const std::optional<std::string>& text) {
        return text ? text->size() : 0;
    };
    // The keys, quotes and the number fit in the 64 added.
    return plain_json::Writer(64 + sizeOf(body) + sizeOf(request.token) + sizeOf(request.query))
        .text("data", body)
        .text("query", request.query)
        .number("request", static_cast<std::int32_t>(request.request))
        .text("token", request.token)
        .close();
}

std::optional<ByteBuffer> objectJson(const Request& request,
                                     const std::optional<std::string>& body) {
    Json object = Json::object();
    object["request"] = static_cast<std::int32_t>(request.request);
    json_fields::putOptional(object, "token", request.token);
    json_fields::putOptional(object, "data", body);
    json_fields::putOptional(object, "query", request.query);
    try {
        return ByteBuffer::fromText(object.dump());
    } catch (const Json::exception& error) {
        printLine(std::string("json()(84): Serialization error: ") + error.what());
        return std::nullopt;
    }
}

// A request's members as the compact form has them.
struct PlainMembers {
    std::optional<std::string_view> data;
    std::optional<std::string_view> query;
    std::optional<int> request;
    std::optional<std::string_view> token;
};

// One member's value; false for another key or a value not in the compact
// form. A repeated key keeps its last value, as the general parser does.
bool readValue(plain_json::Reader& reader, std::string_view key, PlainMembers& members) {
    if (key == "request") {
        return (members.request = reader.digit()).has_value();
    }
    std::optional<std::string_view>* field = key == "data"    ? &members.data
                                             : key == "query" ? &members.query
                                             : key == "token" ? &members.token
                                                              : nullptr;
    return field != nullptr && (*field = reader.text()).has_value();
}

// Absent if the text is in any other form than the compact one.
std::optional<PlainMembers> readPlainMembers(std::string_view text) {
    PlainMembers members;
    plain_json::Reader reader(text);
    if (!reader.take('{')) {
        return std::nullopt;
    }
    do {
        const std::optional<std::string_view> key = reader.text();
        if (!key || !reader.take(':') || !readValue(reader, *key, members)) {
            return std::nullopt;
        }
    } while (reader.take(','));
    return reader.take('}') && reader.atEnd() ? std::optional(members) : std::nullopt;
}

std::optional<Request> plainRequest(std::string_view text) {
    const std::optional<PlainMembers> members = readPlainMembers(text);
    const std::optional<RequestCode> code =
        members && members->request ? requestCodeFrom(*members->request) : std::nullopt;
    if (!code) {
        return std::nullopt;
    }
    const auto copy = [](std::optional<std::string_view> field) {
        return field ? std::optional<std::string>(*field) : std::nullopt;
    };
    const std::optional<std::string> body =
        members->data ? decodeBase64(*members->data) : std::nullopt;
    return Request{*code, copy(members->token), copy(members->query),
                   body ? std::optional<ByteBuffer>(ByteBuffer::fromText(*body)) : std::nullopt};
}

}  // namespace

std::optional<ByteBuffer> Request::json() const {
    const std::optional<std::string> body =
        data ? std::optional<std::string>(encodeBase64(*data)) : std::nullopt;
    if (isPlain(token) && isPlain(query)) {
        return plainJson(*this, body);
    }
    return objectJson(*this, body);
}

std::optional<Request> Request::usingJson(const ByteBuffer& buffer) {
    if (std::optional<Request> plain = plainRequest(buffer.text())) {
        return plain;
    }
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
