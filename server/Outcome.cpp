#include "server/Outcome.h"

namespace tarvendo::server {

std::int64_t answerCode(AnswerMessage message) {
    return static_cast<std::int64_t>(message);
}

Answer accepted(std::string token) {
    return Answer{answerCode(AnswerMessage::OK), AnswerMessage::OK, std::move(token), std::nullopt,
                  std::nullopt};
}

Answer refused(AnswerMessage message, std::string info, std::string token) {
    return Answer{answerCode(message), message, std::move(token), std::move(info), std::nullopt};
}

Outcome refusal(AnswerMessage message, std::string info, std::string player) {
    return Outcome{
        refused(message, std::move(info)), {}, {}, std::move(player), std::nullopt, false};
}

}  // namespace tarvendo::server
