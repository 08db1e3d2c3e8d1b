#include "AnswerMessage.h"

#include <array>

namespace tarvendo {

namespace {

constexpr std::array<std::string_view, 10> kTexts = {
    "OK",
    "error",
    "cantConnectToClientServer",
    "unknownRequest",
    "invalidToken",
    "invalidData",
    "adminNotLoggedIn",
    "adminAlreadyLoggenIn",
    "userNameAlreadyInUse",
    "initNewGame",
};

}  // namespace

std::string_view text(AnswerMessage message) {
    return kTexts.at(static_cast<std::size_t>(message));
}

std::optional<AnswerMessage> answerMessageFrom(std::string_view text) {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (kTexts[i] == text) {
            return static_cast<AnswerMessage>(i);
        }
    }
    return std::nullopt;
}

}  // namespace tarvendo
