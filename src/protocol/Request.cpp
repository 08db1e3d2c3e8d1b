#include "protocol/Request.h"

#include <algorithm>

#include "protocol/Base64.h"
#include "protocol/JsonFields.h"
#include "protocol/ToolBox.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

namespace {

// Printable ASCII without a quote or a backslash: JSON carries it as it stands.
bool isPlain(const std::optional<std::string>& text) {
    return !text || std::ranges::all_of(*text, [](char c) {
        return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    });
}

// An object whose members need no escaping, written in the order the object
// form sorts its keys. An opening pushes hundreds of requests whose only
// fields are a number, a token and Base64: building a JSON object for each
// cost more than the rest of the push.
class PlainObject {
public:
    explicit PlainObject(std::size_t capacity) { out_.reserve(capacity); }
    PlainObject& text(std::string_view key, const std::optional<std::string>& value) {
        if (value) {
            member(key);
            out_ += '"';
            out_ += *value;
            out_ += '"';
        }
        return *this;
    }
    PlainObject& number(std::string_view key, std::int32_t value) {
        member(key);
        out_ += std::to_string(value);
        return *this;
    }
    ByteBuffer close() {
        out_ += '}';
        return ByteBuffer::fromText(out_);
    }

private:
    void member(std::string_view key) {
        out_ += out_.empty() ? '{' : ',';
        out_ += '"';
        out_ += key;
        out_ += "\":";
    }
    std::string out_;
};

ByteBuffer plainJson(const Request& request, const std::optional<std::string>& body) {
    const auto sizeOf = [](const std::optional<std::string>& text) {
        return text ? text->size() : 0;
    };
    // The keys, quotes and the number fit in the 64 added.
    return PlainObject(64 + sizeOf(body) + sizeOf(request.token) + sizeOf(request.query))
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
