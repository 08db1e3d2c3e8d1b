#include "GameTestSupport.h"

namespace tarvendo::server::test {

Request makeRequest(RequestCode code, std::optional<std::string> token,
                    const std::optional<Json>& body) {
    return Request{code, std::move(token), std::nullopt,
                   body ? ToolBox::toJsonObject(body) : std::nullopt};
}

Json loginBody(const std::string& name, const std::string& gameName, std::int64_t port) {
    return Json{{"player_name", name}, {"game_name", gameName}, {"client_server_port", port}};
}

Json bodyOf(const Request& request) {
    return request.data ? ToolBox::fromJsonObject(request.data).value_or(Json()) : Json();
}

Json dataOf(const Answer& answer) {
    return answer.data ? ToolBox::fromJsonObject(answer.data).value_or(Json()) : Json();
}

std::vector<std::string> recipientsOf(const Outcome& outcome) {
    std::vector<std::string> recipients;
    for (const Push& push : outcome.pushes) {
        recipients.push_back(push.recipient);
    }
    return recipients;
}

Outcome GameTest::login(RequestCode code, const Json& body, const std::string& token) {
    std::variant<LoginForm, Outcome> review =
        game.reviewLogin(makeRequest(code, std::nullopt, body));
    if (Outcome* refused = std::get_if<Outcome>(&review)) {
        return *refused;
    }
    return game.admit(std::get<LoginForm>(review), token);
}

std::string GameTest::seat(RequestCode code, const std::string& name) {
    const Outcome outcome = login(code, name);
    EXPECT_EQ(outcome.answer.message, AnswerMessage::OK)
        << name << ": " << outcome.answer.info.value_or("");
    return "token-" + name;
}

}  // namespace tarvendo::server::test
