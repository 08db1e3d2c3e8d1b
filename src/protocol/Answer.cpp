#include "protocol/Answer.h"

#include "protocol/JsonFields.h"
#include "protocol/Request.h"
#include "protocol/ToolBox.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

std::optional<ByteBuffer> Answer::json() const {
    Json object = Json::object();
    object["code"] = code;
    object["message"] = std::string(text(message));
    object["token"] = token;
    json_fields::putOptional(object, "info", info);
    json_fields::putBody(object, "data", data);
    return ToolBox::toJsonObject(object);
}

std::optional<Answer> Answer::usingJson(const ByteBuffer& buffer) {
    const std::optional<Json> object = ToolBox::fromJsonObject(buffer);
    if (!object || !object->is_object()) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> code = json_fields::integer(*object, "code");
    const std::optional<std::string> messageText = json_fields::text(*object, "message");
    const std::optional<AnswerMessage> message =
        messageText ? answerMessageFrom(*messageText) : std::nullopt;
    std::optional<std::string> token = json_fields::text(*object, "token");
    if (!code || !message || !token) {
        return std::nullopt;
    }
    return Answer{*code, *message, std::move(*token), json_fields::text(*object, "info"),
                  json_fields::base64Body(*object, "data")};
}

std::string Answer::description() const {
    return "(code: " + std::to_string(code) + ", token: " + quotedPeerText(token) +
           ", message: " + std::string(text(message)) + ", info: " + describeOptional(info) + "))";
}

}  // namespace tarvendo
