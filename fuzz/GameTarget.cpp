#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "fuzz/ByteReader.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "fuzz/JsonProbe.h"
#include "protocol/DeckSymbols.h"
#include "server/Game.h"

namespace tarvendo::fuzz {

namespace {

using server::Game;
using server::LoginForm;
using server::Outcome;
using server::Player;
using server::Push;

constexpr std::size_t kSeats = 6;
constexpr std::size_t kMaxSteps = 256;

// The fuzzer's players act through these; each step picks one and a seat.
enum class Action {
    loginAdmin,
    loginPlayer,
    review,  // a login checked now and admitted by a later admit
    admit,
    logout,
    disconnect,
    startDeal,
    play,
    openCards,
    electCard,
    rawRequest,
    count
};

// What an accepted outcome must have done to the roster.
enum class Effect { none, join, leave, broadcast };

struct Expectation {
    Expectation(Outcome outcome, Effect effect, std::string token = {},
                RequestCode pushed = RequestCode::logout, bool asAdmin = false)
        : outcome(std::move(outcome)),
          effect(effect),
          token(std::move(token)),
          pushed(pushed),
          asAdmin(asAdmin) {}

    Outcome outcome;
    Effect effect;
    std::string token;  // the asker's, or the newcomer's on a join
    RequestCode pushed;
    bool asAdmin;                          // a join
    std::optional<std::string> votedName;  // the name a card election carried
};

constexpr std::array<const char*, 7> kNames = {"Ann", "Bob", " Ann ", "ann", "Cid\t", "   ", "Dee"};

std::string nameFrom(std::uint8_t choice, ByteReader& input) {
    return choice < kNames.size() ? kNames[choice] : input.text(80);
}

Json loginBody(ByteReader& input) {
    const std::uint8_t choice = input.byte();
    Json body{{"player_name", nameFrom(choice & 7, input)}};
    if ((choice & 8) != 0) {
        body["game_name"] = (choice & 16) != 0 ? input.text(20) : "Sprint";
    }
    const std::array<Json, 4> ports = {51000, 0, 65536, "51000"};
    body["client_server_port"] = ports[(choice >> 5) & 3];
    return body;
}

Request requestOf(RequestCode code, std::string token, const std::optional<Json>& body) {
    return Request{code, std::move(token), std::nullopt,
                   body ? ToolBox::toJsonObject(body) : std::nullopt};
}

Json bodyOf(const Request& request) {
    return request.data ? parsedOrDiscarded(request.data->text()) : Json();
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> tokensOf(const std::vector<Player>& players) {
    std::vector<std::string> tokens;
    for (const Player& player : players) {
        tokens.push_back(player.token);
    }
    return tokens;
}

bool sameRoster(const std::vector<Player>& a, const std::vector<Player>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Player& x, const Player& y) {
        return x.name == y.name && x.token == y.token;
    });
}

// Every pushed change reaches each of the recipients exactly once, under its
// own token, all with the same code and body. The body.
Json requirePushes(const Outcome& outcome, const std::vector<Player>& recipients,
                   RequestCode code) {
    std::vector<std::string> reached;
    for (const Push& push : outcome.pushes) {
        require(push.request.request == code, "a push carries another code");
        require(push.request.token == push.recipient, "a push carries another player's token");
        require(push.request.data == outcome.pushes.front().request.data,
                "players are told different things");
        reached.push_back(push.recipient);
    }
    require(sorted(reached) == sorted(tokensOf(recipients)),
            "a change is not pushed to every player exactly once");
    return outcome.pushes.empty() ? Json() : bodyOf(outcome.pushes.front().request);
}

class GameDriver {
public:
    explicit GameDriver(std::size_t maxPlayers) : game_(maxPlayers), maxPlayers_(maxPlayers) {}

    void step(ByteReader& input) {
        const std::uint8_t choice = input.byte();
        const auto action = static_cast<Action>(choice % static_cast<int>(Action::count));
        const std::size_t seat = choice / static_cast<int>(Action::count) % kSeats;
        const std::vector<Player> before = game_.roster().players();
        if (const std::optional<Expectation> expectation = act(action, seat, input)) {
            check(*expectation, before);
        }
        checkRoster();
    }

private:
    std::optional<Expectation> act(Action action, std::size_t seat, ByteReader& input) {
        switch (action) {
            case Action::loginAdmin:
            case Action::loginPlayer:
                return login(action == Action::loginAdmin, seat, input);
            case Action::review:
                return review(seat, input);
            case Action::admit:
                return admitReviewed(seat);
            case Action::logout:
                return ask(seat, RequestCode::logout, std::nullopt);
            case Action::disconnect:
                return Expectation{game_.remove(tokenOf(seat)), Effect::leave, tokenOf(seat)};
            case Action::startDeal:
                return ask(seat, RequestCode::initNewDeal, Json{{"title", titleFrom(input)}});
            case Action::play:
                return ask(seat, RequestCode::play, std::nullopt);
            case Action::openCards:
                return ask(seat, RequestCode::openCards, std::nullopt);
            case Action::electCard:
                return elect(seat, input);
            default:
                return raw(seat, input);
        }
    }

    std::variant<LoginForm, Outcome> reviewed(bool asAdmin, ByteReader& input) const {
        const RequestCode code = asAdmin ? RequestCode::loginAdmin : RequestCode::loginPlayer;
        return game_.reviewLogin(requestOf(code, "", loginBody(input)));
    }

    Expectation admit(const LoginForm& form, std::size_t seat) {
        seatTokens_[seat] = "token-" + std::to_string(++issued_);
        return Expectation{game_.admit(form, *seatTokens_[seat]), Effect::join, *seatTokens_[seat],
                           RequestCode::playerAdded, form.asAdmin};
    }

    Expectation login(bool asAdmin, std::size_t seat, ByteReader& input) {
        std::variant<LoginForm, Outcome> review = reviewed(asAdmin, input);
        if (Outcome* refused = std::get_if<Outcome>(&review)) {
            return Expectation{std::move(*refused), Effect::join};
        }
        return admit(std::get<LoginForm>(review), seat);
    }

    std::optional<Expectation> review(std::size_t seat, ByteReader& input) {
        std::variant<LoginForm, Outcome> review = reviewed((input.byte() & 1) != 0, input);
        if (Outcome* refused = std::get_if<Outcome>(&review)) {
            return Expectation{std::move(*refused), Effect::join};
        }
        pending_[seat] = std::get<LoginForm>(review);
        return std::nullopt;
    }

    std::optional<Expectation> admitReviewed(std::size_t seat) {
        std::optional<LoginForm> form = std::exchange(pending_[seat], std::nullopt);
        return form ? std::optional(admit(*form, seat)) : std::nullopt;
    }

    Expectation ask(std::size_t seat, RequestCode code, const std::optional<Json>& body) {
        const Effect effect = code == RequestCode::logout ? Effect::leave : Effect::broadcast;
        return Expectation{game_.handle(requestOf(code, tokenOf(seat), body)), effect,
                           tokenOf(seat), code};
    }

    std::string titleFrom(ByteReader& input) {
        const std::uint8_t choice = input.byte();
        return choice < 128 ? "Deal " + std::to_string(choice) : input.text(40);
    }

    Expectation elect(std::size_t seat, ByteReader& input) {
        const std::uint8_t choice = input.byte();
        const Player* other = game_.roster().byToken(tokenOf((seat + choice) % kSeats));
        const std::string name = other ? other->name : nameFrom(choice & 7, input);
        const std::uint8_t card = input.byte();
        const std::string symbol =
            card < kDeckSymbols.size() ? std::string(kDeckSymbols[card]) : input.text(8);
        Expectation expectation =
            ask(seat, RequestCode::cardElected, Json{{"player_name", name}, {"symbol", symbol}});
        expectation.votedName = name;
        return expectation;
    }

    // Any code, a token that may not be one, and any bytes as data.
    Expectation raw(std::size_t seat, ByteReader& input) {
        const auto code = static_cast<RequestCode>(input.byte() % 9);
        std::string token = (input.byte() & 1) != 0 ? tokenOf(seat) : input.text(40);
        const std::string data = input.text(200);
        const Effect effect = code == RequestCode::logout ? Effect::leave
                              : code == RequestCode::initNewDeal || code == RequestCode::play ||
                                      code == RequestCode::openCards ||
                                      code == RequestCode::cardElected
                                  ? Effect::broadcast
                                  : Effect::none;
        const Request request{code, token, std::nullopt, ByteBuffer::fromText(data)};
        return Expectation{game_.handle(request), effect, std::move(token), code};
    }

    std::string tokenOf(std::size_t seat) const {
        return seatTokens_[seat].value_or("never-issued");
    }

    void check(const Expectation& expected, const std::vector<Player>& before) {
        const Outcome& outcome = expected.outcome;
        if (!outcome.ok() || (expected.effect == Effect::leave && !outcome.departed)) {
            require(outcome.pushes.empty() && !outcome.departed, "a refusal changes nothing");
            require(sameRoster(game_.roster().players(), before), "a refusal changed the roster");
            require(!outcome.ok() || !seated_.contains(expected.token),
                    "a seated player's departure did nothing");
            return;
        }
        require(!outcome.departed || expected.effect == Effect::leave, "a departure from nowhere");
        switch (expected.effect) {
            case Effect::join:
                return joined(expected, before);
            case Effect::leave:
                return left(expected, before);
            case Effect::broadcast:
                return broadcast(expected, before);
            default:
                require(false, "the game accepted a request it does not take");
        }
    }

    void joined(const Expectation& expected, const std::vector<Player>& before) {
        const std::vector<Player>& now = game_.roster().players();
        require(now.size() == before.size() + 1 && now.back().token == expected.token &&
                    sameRoster({now.begin(), now.end() - 1}, before),
                "a login did not add just the newcomer");
        if (expected.asAdmin) {
            require(!adminToken_, "a second admin was seated");
            adminToken_ = expected.token;
        }
        const Json body = requirePushes(expected.outcome, before, RequestCode::playerAdded);
        require(before.empty() || stringMember(body, "player_name") == now.back().name,
                "the others are told another name");
        seated_.insert(expected.token);
    }

    void left(const Expectation& expected, const std::vector<Player>& before) {
        require(expected.outcome.departed == expected.token, "someone else departed");
        const auto gone = std::find_if(before.begin(), before.end(), [&](const Player& player) {
            return player.token == expected.token;
        });
        require(gone != before.end() && !game_.roster().byToken(expected.token) &&
                    game_.roster().size() + 1 == before.size(),
                "a departure did not remove just the player");
        const Json body =
            requirePushes(expected.outcome, game_.roster().players(), RequestCode::playerRemoved);
        require(game_.roster().empty() || stringMember(body, "player_name") == gone->name,
                "the others are told another name");
        if (adminToken_ == expected.token) {
            adminToken_.reset();
        }
        seated_.erase(expected.token);
        voting_ = voting_ && !game_.roster().empty();
    }

    void broadcast(const Expectation& expected, const std::vector<Player>& before) {
        require(sameRoster(game_.roster().players(), before), "a game event changed the roster");
        const Json body = requirePushes(expected.outcome, before, expected.pushed);
        if (expected.pushed == RequestCode::cardElected) {
            return elected(expected, body);
        }
        require(adminToken_ == expected.token, "someone other than the admin leads the deal");
        voting_ = expected.pushed == RequestCode::play ||
                  (voting_ && expected.pushed == RequestCode::openCards);
    }

    void elected(const Expectation& expected, const Json& body) {
        const std::string& voter = game_.roster().byToken(expected.token)->name;
        require(voting_, "a card was elected before play");
        require(expected.votedName == voter, "a vote was accepted for another player");
        require(stringMember(body, "player_name") == voter, "a vote is told under another name");
        const std::optional<std::string> symbol = stringMember(body, "symbol");
        require(symbol && isDeckSymbol(*symbol), "a vote for a card not in the deck");
    }

    void checkRoster() const {
        const std::vector<Player>& players = game_.roster().players();
        require(players.size() <= maxPlayers_, "more players than the game takes");
        std::set<std::string> names;
        std::set<std::string> tokens;
        for (const Player& player : players) {
            require(names.insert(player.name).second, "two players share a name");
            tokens.insert(player.token);
        }
        require(tokens == seated_, "the roster differs from the players accepted");
    }

    Game game_;
    const std::size_t maxPlayers_;
    std::array<std::optional<std::string>, kSeats> seatTokens_;
    std::array<std::optional<LoginForm>, kSeats> pending_;
    std::uint64_t issued_ = 0;
    std::set<std::string> seated_;
    std::optional<std::string> adminToken_;
    bool voting_ = false;
};

}  // namespace

// The first byte sets the player limit (1...6); then one step per action byte.
void fuzzGame(const std::uint8_t* data, std::size_t size) {
    ByteReader input(data, size);
    GameDriver driver(1 + input.byte() % 6);
    for (std::size_t step = 0; step < kMaxSteps && !input.empty(); ++step) {
        driver.step(input);
    }
}

}  // namespace tarvendo::fuzz
