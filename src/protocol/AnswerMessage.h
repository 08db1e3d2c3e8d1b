#pragma once

#include <optional>
#include <string_view>

namespace tarvendo {

// Carried on the wire as its text, which equals the case name.
enum class AnswerMessage {
    OK,
    error,
    cantConnectToClientServer,
    unknownRequest,
    invalidToken,
    invalidData,
    adminNotLoggedIn,
    adminAlreadyLoggenIn,
    userNameAlreadyInUse,
    initNewGame,
};

std::string_view text(AnswerMessage message);
// Exact, case-sensitive match; absent for any other text.
std::optional<AnswerMessage> answerMessageFrom(std::string_view text);

}  // namespace tarvendo
