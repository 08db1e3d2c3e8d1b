#include "support/RequestPeer.h"

#include <stdexcept>

#include "protocol/Exchange.h"
#include "support/PushSink.h"

namespace tarvendo::test {

RequestPeer::RequestPeer(const Address& server) : socket_(Socket::create()) {
    if (!socket_ || !connectSocket(*socket_, server)) {
        throw std::runtime_error("cannot connect to the game server");
    }
}

std::optional<Answer> RequestPeer::send(RequestCode code, const std::optional<Json>& body) {
    return exchange(*socket_,
                    requestWith(code, token.empty() ? std::nullopt : std::optional(token), body));
}

std::optional<Answer> RequestPeer::login(RequestCode code, const std::string& name,
                                         std::int32_t port) {
    const Json body{{"player_name", name}, {"game_name", "Sprint"}, {"client_server_port", port}};
    std::optional<Answer> answer = send(code, body);
    token = answer && answer->message == AnswerMessage::OK ? answer->token : token;
    return answer;
}

}  // namespace tarvendo::test
