#include "client/login/LoginExchange.h"

#include <algorithm>

#include "client/ClientSession.h"
#include "client/login/Settings.h"
#include "client/qt/Text.h"
#include "protocol/ToolBox.h"

namespace tarvendo::client {

LoginOutcome LoginExchange::login(const Address& server, RequestCode code, const LoginForm& form,
                                  std::chrono::milliseconds timeout) {
    if (!session_.connection().connect(server, timeout)) {
        return LoginOutcome::cantConnect;
    }
    storeServerAddress(qText(server.address));
    const std::optional<ByteBuffer> data =
        ToolBox::toJsonObject(Json{{"player_name", form.playerName},
                                   {"game_name", form.gameName},
                                   {"client_server_port", form.clientServerPort}});
    if (!data) {
        return LoginOutcome::refused;
    }
    session_.shared().setGameServerAddress(session_.connection().socket().address());
    session_.shared().beginLogin();
    // Pushes that beat the answer wait for its token.
    session_.pushGate().hold();
    const std::optional<Answer> answer = session_.connection().exchange(
        Request{code, form.resumeToken, std::nullopt, data}, timeout);
    const LoginOutcome outcome = answer ? outcomeOf(*answer) : LoginOutcome::noAnswer;
    if (outcome == LoginOutcome::loggedIn) {
        if (form.resumeToken) {
            session_.center().post(Event::loginRenewed);
        }
        acceptLogin(*answer);
        lastLogin_ = LoginRecord{server, code, form};
        session_.pushGate().release(session_.pushReceiver());
    } else {
        session_.pushGate().drop();
    }
    return outcome;
}

LoginOutcome LoginExchange::outcomeOf(const Answer& answer) {
    switch (answer.message) {
        case AnswerMessage::OK:
            return LoginOutcome::loggedIn;
        case AnswerMessage::adminNotLoggedIn:
            return LoginOutcome::adminNotLoggedIn;
        case AnswerMessage::adminAlreadyLoggenIn:
            return LoginOutcome::adminAlreadyLoggedIn;
        case AnswerMessage::userNameAlreadyInUse:
            return LoginOutcome::userNameAlreadyInUse;
        case AnswerMessage::invalidToken:
            return LoginOutcome::tokenRefused;
        default:
            return LoginOutcome::refused;
    }
}

void LoginExchange::acceptLogin(const Answer& answer) {
    session_.shared().setToken(answer.token);
    session_.shared().setGameName(answer.info);
    announcePlayers(answer);
}

void LoginExchange::announcePlayers(const Answer& answer) {
    const std::optional<Json> names =
        answer.data ? ToolBox::fromJsonObject(answer.data) : std::nullopt;
    if (!names || !names->is_array() ||
        !std::all_of(names->begin(), names->end(),
                     [](const Json& name) { return name.is_string(); })) {
        return;
    }
    for (const Json& name : *names) {
        session_.center().post(Event::playerDidAdd,
                               UserInfo().setText("player_name", name.get<std::string>()));
    }
}

}  // namespace tarvendo::client
