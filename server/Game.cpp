#include "server/Game.h"

#include "protocol/DeckSymbols.h"
#include "protocol/JsonFields.h"
#include "server/Text.h"

namespace tarvendo::server {

namespace {

std::optional<ByteBuffer> encodeBody(const std::optional<Json>& body) {
    return body ? ToolBox::toJsonObject(body) : std::nullopt;
}

Outcome acceptedBy(const Player& player, std::vector<Push> pushes) {
    return Outcome{accepted(player.token), std::move(pushes), player.name, std::nullopt};
}

Outcome refusedFor(const Player& player, AnswerMessage message, std::string info) {
    return Outcome{refused(message, std::move(info), player.token), {}, player.name, std::nullopt};
}

}  // namespace

std::variant<LoginForm, Outcome> Game::reviewLogin(const Request& request) const {
    std::variant<LoginForm, std::string> form = readLoginForm(request);
    if (std::string* reason = std::get_if<std::string>(&form)) {
        return refusal(AnswerMessage::invalidData, std::move(*reason));
    }
    auto& checked = std::get<LoginForm>(form);
    if (std::optional<Outcome> refused = seatRefusal(checked)) {
        return std::move(*refused);
    }
    return std::move(checked);
}

std::optional<Outcome> Game::seatRefusal(const LoginForm& form) const {
    const std::string& name = form.playerName;
    if (form.asAdmin && adminToken_) {
        return refusal(AnswerMessage::adminAlreadyLoggenIn, "The game has an admin already", name);
    }
    if (!form.asAdmin && !adminToken_) {
        return refusal(AnswerMessage::adminNotLoggedIn, "The game has no admin yet", name);
    }
    if (roster_.hasName(name)) {
        return refusal(AnswerMessage::userNameAlreadyInUse, "The name is taken in this game", name);
    }
    if (roster_.size() >= maxPlayers_) {
        return refusal(AnswerMessage::error, "The game is full", name);
    }
    return std::nullopt;
}

Outcome Game::admit(const LoginForm& form, const std::string& token) {
    if (std::optional<Outcome> refused = seatRefusal(form)) {
        return std::move(*refused);
    }
    if (form.asAdmin) {
        adminToken_ = token;
        gameName_ = form.gameName;
    }
    roster_.add(Player{form.playerName, token});
    Outcome outcome{accepted(token), {}, form.playerName, std::nullopt};
    outcome.answer.info = gameName_;
    outcome.answer.data = ToolBox::toJsonObject(roster_.names());
    outcome.pushes =
        pushToAll(RequestCode::playerAdded, Json{{"player_name", form.playerName}}, token);
    return outcome;
}

Outcome Game::handle(const Request& request) {
    const Player* player = request.token ? roster_.byToken(*request.token) : nullptr;
    if (player == nullptr) {
        return refusal(AnswerMessage::invalidToken, "The token was not issued by this game");
    }
    switch (request.request) {
        case RequestCode::logout:
            return leave(*player);
        case RequestCode::initNewDeal:
            return startDeal(*player, request);
        case RequestCode::play:
        case RequestCode::openCards:
            return announce(*player, request.request);
        case RequestCode::cardElected:
            return electCard(*player, request);
        default:
            return refusedFor(*player, AnswerMessage::unknownRequest,
                              "The server does not take this request here");
    }
}

Outcome Game::startDeal(const Player& admin, const Request& request) {
    if (!isAdmin(admin)) {
        return refusedFor(admin, AnswerMessage::error, "Only the admin starts a deal");
    }
    const std::optional<Json> body = bodyObject(request);
    const std::optional<std::string> title = body ? filledText(*body, "title") : std::nullopt;
    if (!title) {
        return refusedFor(admin, AnswerMessage::invalidData, "The deal needs a non-blank title");
    }
    phase_ = Phase::dealing;
    return acceptedBy(admin, pushToAll(RequestCode::initNewDeal, Json{{"title", *title}}));
}

Outcome Game::announce(const Player& admin, RequestCode code) {
    if (!isAdmin(admin)) {
        return refusedFor(admin, AnswerMessage::error, "Only the admin leads the deal");
    }
    if (code == RequestCode::play) {
        phase_ = Phase::voting;
    }
    return acceptedBy(admin, pushToAll(code, std::nullopt));
}

Outcome Game::electCard(const Player& player, const Request& request) {
    const std::optional<Json> body = bodyObject(request);
    const std::optional<std::string> name =
        body ? json_fields::text(*body, "player_name") : std::nullopt;
    const std::optional<std::string> symbol =
        body ? json_fields::text(*body, "symbol") : std::nullopt;
    if (name != player.name) {
        return refusedFor(player, AnswerMessage::invalidData,
                          "The player name must be the token's own");
    }
    if (!symbol || !isDeckSymbol(*symbol)) {
        return refusedFor(player, AnswerMessage::invalidData,
                          "The symbol is not a card of the deck");
    }
    if (phase_ != Phase::voting) {
        return refusedFor(player, AnswerMessage::error, "Cards are elected only after play");
    }
    return acceptedBy(player, pushToAll(RequestCode::cardElected,
                                        Json{{"player_name", player.name}, {"symbol", *symbol}}));
}

Outcome Game::leave(const Player& player) {
    if (isAdmin(player)) {
        adminToken_.reset();  // the seat is free; the players stay
    }
    // A copy: the roster entry it came from is erased here.
    const Player departing = *roster_.remove(player.token);
    if (roster_.empty()) {
        phase_ = Phase::noDeal;
    }
    Outcome outcome = acceptedBy(
        departing, pushToAll(RequestCode::playerRemoved, Json{{"player_name", departing.name}}));
    outcome.departed = departing.token;
    return outcome;
}

Outcome Game::remove(const std::string& token) {
    const Player* player = roster_.byToken(token);
    return player == nullptr ? Outcome{} : leave(*player);
}

std::vector<Push> Game::pushToAll(RequestCode code, const std::optional<Json>& body,
                                  const std::string& exceptToken) const {
    const std::optional<ByteBuffer> data = encodeBody(body);
    std::vector<Push> pushes;
    for (const Player& player : roster_.players()) {
        if (player.token != exceptToken) {
            pushes.push_back(Push{player.token, Request{code, player.token, std::nullopt, data}});
        }
    }
    return pushes;
}

}  // namespace tarvendo::server
