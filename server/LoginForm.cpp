#include "server/LoginForm.h"

#include <optional>

#include "protocol/JsonFields.h"
#include "server/Text.h"

namespace tarvendo::server {

namespace {

std::optional<std::uint16_t> portIn(const Json& body) {
    const std::optional<std::int64_t> port = json_fields::integer(body, "client_server_port");
    if (!port || *port < 1 || *port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*port);
}

}  // namespace

std::variant<LoginForm, std::string> readLoginForm(const Request& request) {
    const std::optional<Json> body = bodyObject(request);
    if (!body) {
        return std::string("The login needs a JSON object as its data");
    }
    LoginForm form;
    form.asAdmin = request.request == RequestCode::loginAdmin;
    const std::optional<std::string> name = filledText(*body, "player_name");
    if (!name) {
        return std::string("The player name is missing or blank");
    }
    if (characterCount(*name) > kMaxNameLength) {
        return "The player name is longer than " + std::to_string(kMaxNameLength) + " characters";
    }
    form.playerName = *name;
    if (form.asAdmin) {
        const std::optional<std::string> gameName = filledText(*body, "game_name");
        if (!gameName) {
            return std::string("The game name is missing or blank");
        }
        form.gameName = *gameName;
    }
    const std::optional<std::uint16_t> port = portIn(*body);
    if (!port) {
        return std::string("The client server port is missing or not in 1...65535");
    }
    form.clientServerPort = *port;
    return form;
}

}  // namespace tarvendo::server
