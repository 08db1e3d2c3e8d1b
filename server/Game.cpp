#include "server/Game.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "protocol/DeckSymbols.h"
#include "protocol/JsonFields.h"
#include "server/Text.h"

namespace tarvendo::server {

namespace {

std::optional<ByteBuffer> encodeBody(const std::optional<Json>& body) {
    return body ? ToolBox::toJsonObject(body) : std::nullopt;
}

Outcome acceptedBy(const Player& player, std::vector<Push> pushes) {
    return Outcome{accepted(player.token), std::move(pushes), {}, player.name, std::nullopt, false};
}

Outcome refusedFor(const Player& player, AnswerMessage message, std::string info) {
    return Outcome{
        refused(message, std::move(info), player.token), {}, {}, player.name, std::nullopt, false};
}

Push pushTo(const Player& recipient, RequestCode code, const std::optional<Json>& body) {
    return Push{recipient.token, Request{code, recipient.token, std::nullopt, encodeBody(body)}};
}

Json cardBody(const std::string& name, const std::string& symbol) {
    return Json{{"player_name", name}, {"symbol", symbol}};
}

void append(std::vector<Push>& pushes, std::vector<Push> more) {
    pushes.insert(pushes.end(), std::make_move_iterator(more.begin()),
                  std::make_move_iterator(more.end()));
}

}  // namespace

std::variant<LoginForm, Outcome> Game::reviewLogin(const Request& request,
                                                   const std::string& peerAddress) const {
    std::variant<LoginForm, std::string> form = readLoginForm(request);
    if (std::string* reason = std::get_if<std::string>(&form)) {
        return refusal(AnswerMessage::invalidData, std::move(*reason));
    }
    auto& checked = std::get<LoginForm>(form);
    checked.peerAddress = peerAddress;
    if (const Player* seat = seatToResume(request, checked)) {
        checked.resumeToken = seat->token;
        return std::move(checked);
    }
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

// A token that names a seat (the old connection may be half-open), or an
// away seat's name from its own address for a client that sends no token.
const Player* Game::seatToResume(const Request& request, const LoginForm& form) const {
    if (const Player* byToken = request.token ? roster_.byToken(*request.token) : nullptr) {
        return byToken;
    }
    const Player* byName = roster_.byName(form.playerName);
    return byName && isAway(byName->token) && byName->address == form.peerAddress ? byName
                                                                                  : nullptr;
}

Outcome Game::admit(const LoginForm& form, const std::string& token) {
    if (const Player* seat = form.resumeToken ? roster_.byToken(*form.resumeToken) : nullptr) {
        return resume(*seat);
    }
    if (std::optional<Outcome> refused = seatRefusal(form)) {
        return std::move(*refused);
    }
    if (form.asAdmin) {
        adminToken_ = token;
        gameName_ = form.gameName;
    }
    roster_.add(Player{form.playerName, token, form.peerAddress});
    Outcome outcome = welcome(*roster_.byToken(token), false);
    outcome.pushes =
        pushToAll(RequestCode::playerAdded, Json{{"player_name", form.playerName}}, token);
    return outcome;
}

Outcome Game::resume(const Player& player) {
    awayUntil_.erase(player.token);
    return welcome(player, true);
}

Outcome Game::welcome(const Player& player, bool resumed) const {
    Outcome outcome{accepted(player.token), {},   replayFor(player), player.name,
                    std::nullopt,           false};
    outcome.answer.info = gameName_;
    outcome.answer.data = ToolBox::toJsonObject(roster_.names());
    outcome.resumed = resumed;
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
            return play(*player);
        case RequestCode::openCards:
            return openCards(*player);
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
    deal_.start(*title);
    return acceptedBy(admin, pushToAll(RequestCode::initNewDeal, Json{{"title", *title}}));
}

Outcome Game::play(const Player& admin) {
    if (!isAdmin(admin)) {
        return refusedFor(admin, AnswerMessage::error, "Only the admin leads the deal");
    }
    if (deal_.phase() == Deal::Phase::none) {
        return refusedFor(admin, AnswerMessage::error, "No deal to play");
    }
    deal_.play();
    return acceptedBy(admin, pushToAll(RequestCode::play, std::nullopt));
}

Outcome Game::openCards(const Player& admin) {
    if (!isAdmin(admin)) {
        return refusedFor(admin, AnswerMessage::error, "Only the admin leads the deal");
    }
    if (!deal_.takesVotes()) {
        return refusedFor(admin, AnswerMessage::error, "No deal is in play");
    }
    deal_.open();
    // Every card face up first, so the opening finds them all on the table.
    std::vector<Push> pushes;
    for (const Player& voter : roster_.players()) {
        append(pushes, announceCard(voter));
    }
    append(pushes, pushToAll(RequestCode::openCards, std::nullopt));
    return acceptedBy(admin, std::move(pushes));
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
    if (!deal_.takesVotes()) {
        return refusedFor(player, AnswerMessage::error, "Cards are elected only after play");
    }
    deal_.elect(player.token, *symbol);
    return acceptedBy(player, announceCard(player));
}

Outcome Game::leave(const Player& player) {
    if (isAdmin(player)) {
        adminToken_.reset();  // the seat is free; the players stay
    }
    // A copy: the roster entry it came from is erased here.
    const Player departing = *roster_.remove(player.token);
    awayUntil_.erase(departing.token);
    deal_.forget(departing.token);
    if (roster_.empty()) {
        deal_.end();
    }
    Outcome outcome = acceptedBy(
        departing, pushToAll(RequestCode::playerRemoved, Json{{"player_name", departing.name}}));
    append(outcome.pushes, readinessPush());
    outcome.departed = departing.token;
    return outcome;
}

Outcome Game::remove(const std::string& token) {
    const Player* player = roster_.byToken(token);
    return player == nullptr ? Outcome{} : leave(*player);
}

Outcome Game::leaveWithoutLogout(const std::string& token, Clock::time_point now) {
    const Player* player = roster_.byToken(token);
    if (player == nullptr || grace_.count() <= 0) {
        return remove(token);
    }
    awayUntil_.emplace(token, now + grace_);  // a second loss does not extend it
    Outcome outcome;
    outcome.player = player->name;
    return outcome;
}

std::vector<Outcome> Game::expireAway(Clock::time_point now) {
    std::vector<std::string> expired;
    for (const auto& [token, until] : awayUntil_) {
        if (until <= now) {
            expired.push_back(token);
        }
    }
    std::vector<Outcome> outcomes;
    outcomes.reserve(expired.size());
    for (const std::string& token : expired) {
        outcomes.push_back(remove(token));
    }
    return outcomes;
}

std::optional<Game::Clock::time_point> Game::nextExpiry() const {
    const auto earliest =
        std::min_element(awayUntil_.begin(), awayUntil_.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return earliest == awayUntil_.end() ? std::nullopt : std::optional(earliest->second);
}

std::vector<Push> Game::announceCard(const Player& voter) const {
    // The card as each recipient sees it: sealed or face up, two bodies at most.
    std::map<std::string, std::optional<ByteBuffer>, std::less<>> bodies;
    std::vector<Push> pushes;
    for (const Player& recipient : roster_.players()) {
        if (const auto shown = deal_.shownTo(recipient.token, voter.token)) {
            auto [body, fresh] = bodies.try_emplace(*shown);
            if (fresh) {
                body->second = encodeBody(cardBody(voter.name, *shown));
            }
            pushes.push_back(Push{
                recipient.token,
                Request{RequestCode::cardElected, recipient.token, std::nullopt, body->second}});
        }
    }
    return pushes;
}

std::vector<Push> Game::replayFor(const Player& newcomer) const {
    std::vector<Push> pushes;
    if (deal_.phase() == Deal::Phase::none) {
        return pushes;
    }
    pushes.push_back(pushTo(newcomer, RequestCode::initNewDeal, Json{{"title", deal_.title()}}));
    if (deal_.phase() == Deal::Phase::dealt) {
        return pushes;
    }
    pushes.push_back(pushTo(newcomer, RequestCode::play, std::nullopt));
    for (const Player& voter : roster_.players()) {
        if (const auto shown = deal_.shownTo(newcomer.token, voter.token)) {
            pushes.push_back(
                pushTo(newcomer, RequestCode::cardElected, cardBody(voter.name, *shown)));
        }
    }
    if (deal_.phase() == Deal::Phase::open) {
        pushes.push_back(pushTo(newcomer, RequestCode::openCards, std::nullopt));
    }
    return pushes;
}

std::vector<Push> Game::readinessPush() const {
    const Player* admin = adminToken_ ? roster_.byToken(*adminToken_) : nullptr;
    const bool everyoneHasChosen = std::all_of(
        roster_.players().begin(), roster_.players().end(),
        [this](const Player& player) { return deal_.symbolOf(player.token).has_value(); });
    if (admin == nullptr || deal_.phase() != Deal::Phase::inPlay || !everyoneHasChosen) {
        return {};
    }
    return {pushTo(*admin, RequestCode::cardElected,
                   cardBody(admin->name, *deal_.symbolOf(admin->token)))};
}

GameSnapshot Game::snapshot() const {
    GameSnapshot snapshot{gameName_, adminToken_, {}, deal_.number(), deal_.title(), deal_.phase()};
    for (const Player& player : roster_.players()) {
        snapshot.seats.push_back(
            {player.name, player.token, player.address, deal_.symbolOf(player.token)});
    }
    return snapshot;
}

void Game::restore(const GameSnapshot& snapshot, Clock::time_point now) {
    gameName_ = snapshot.gameName;
    adminToken_ = snapshot.adminToken;
    roster_ = Roster();
    awayUntil_.clear();
    deal_.restore(snapshot.dealNumber, snapshot.dealTitle, snapshot.dealPhase);
    for (const GameSnapshot::Seat& seat : snapshot.seats) {
        roster_.add(Player{seat.name, seat.token, seat.address});
        awayUntil_.emplace(seat.token, now + grace_);
        if (seat.symbol) {
            deal_.elect(seat.token, *seat.symbol);
        }
    }
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
