#include "protocol/AnswerMessage.h"

#include "protocol/NameTable.h"

namespace tarvendo {

namespace {

constexpr NameTable<AnswerMessage, 10> kTexts({
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
});

}  // namespace

std::string_view text(AnswerMessage message) {
    return kTexts.nameOf(message);
}

std::optional<AnswerMessage> answerMessageFrom(std::string_view text) {
    return kTexts.find(text);
}

}  // namespace tarvendo
