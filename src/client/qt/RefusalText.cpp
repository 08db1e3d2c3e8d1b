#include "client/qt/RefusalText.h"

#include "client/qt/Text.h"

namespace tarvendo::client {

namespace {

QString sentenceFor(AnswerMessage message) {
    switch (message) {
        case AnswerMessage::OK:
            return QStringLiteral("The game server accepted the request.");
        case AnswerMessage::cantConnectToClientServer:
            return QStringLiteral("The game server cannot connect back to this computer.");
        case AnswerMessage::unknownRequest:
            return QStringLiteral("The game server does not know this request.");
        case AnswerMessage::invalidToken:
            return QStringLiteral("The game server does not know this session any more.");
        case AnswerMessage::invalidData:
            return QStringLiteral("The game server could not read what was sent.");
        case AnswerMessage::adminNotLoggedIn:
            return QStringLiteral("The game has no admin yet.");
        case AnswerMessage::adminAlreadyLoggenIn:
            return QStringLiteral("The game has an admin already.");
        case AnswerMessage::userNameAlreadyInUse:
            return QStringLiteral("This name is already in use.");
        case AnswerMessage::initNewGame:
            return QStringLiteral("The game server asks for a new game.");
        case AnswerMessage::error:
            break;
    }
    return QStringLiteral("The game server refused the request.");
}

}  // namespace

QString refusalText(const Answer& answer) {
    const QString info = qText(answer.info.value_or("")).trimmed();
    return info.isEmpty() ? sentenceFor(answer.message) : info;
}

}  // namespace tarvendo::client
