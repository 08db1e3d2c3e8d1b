#include "GameTestSupport.h"

namespace tarvendo::server::test {

Request makeRequest(Code code, std::optional<std::string> token, const std::optional<Json>& body) {
    return Request{code, std::move(token), std::nullopt,
                   body ? ToolBox::toJsonObject(body) : std::nullopt};
}

Json loginBody(const std::string& name, const std::string& gameName, std::int64_t port) {
    return Json{{"player_name", name}, {"game_name", gameName}, {"client_server_port", port}};
}

void expectPushes(const Outcome& outcome, const std::vector<std::string>& recipients, Code code,
                  const std::optional<Json>& body) {
    ASSERT_EQ(outcome.pushes.size(), recipients.size()) << name(code);
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        const Request& push = outcome.pushes[i].request;
        EXPECT_EQ(outcome.pushes[i].recipient, recipients[i]);
        EXPECT_EQ(push.request, code);
        EXPECT_EQ(push.token, recipients[i]);
        EXPECT_EQ(ToolBox::fromJsonObject(push.data), body);
    }
}

Outcome GameTest::login(Code code, const Json& body, const std::string& token) {
    const auto review = game.reviewLogin(makeRequest(code, std::nullopt, body));
    if (const Outcome* refused = std::get_if<Outcome>(&review)) {
        return *refused;
    }
    return game.admit(std::get<LoginForm>(review), token);
}

std::string GameTest::seat(Code code, const std::string& name) {
    const Outcome outcome = login(code, name);
    EXPECT_EQ(outcome.answer.message, Message::OK)
        << name << ": " << outcome.answer.info.value_or("");
    return "token-" + name;
}

}  // namespace tarvendo::server::test
