#include <algorithm>
#include <set>

#include "fuzz/Fuzz.h"
#include "protocol/DeckSymbols.h"
#include "server/Game.h"

namespace tarvendo::fuzz {

namespace {

// Four players' requests against one game, and what must hold after each.
class GameRun {
public:
    explicit GameRun(std::size_t maxPlayers) : game_(maxPlayers), maxPlayers_(maxPlayers) {}

    // The action picks the request code; 9 admits the seat's login reviewed
    // last (the game may have changed since), 10 drops the connection. The
    // seat byte picks the player (its high bit: a forged token).
    void step(std::uint8_t action, std::uint8_t seat, std::string_view data) {
        std::string& token = tokens_[seat % 4];
        std::optional<server::LoginForm>& reviewed = reviewed_[seat % 4];
        asker_ = (seat & 0x80) != 0 ? "forged" : token;
        code_ = static_cast<RequestCode>(action % 11);
        admits_ = code_ == RequestCode{9} && reviewed;
        asAdmin_ = admits_ && reviewed->asAdmin;
        const std::size_t before = game_.roster().size();
        const Request request{code_, asker_, std::nullopt, ByteBuffer::fromText(data)};
        if (code_ <= RequestCode::loginPlayer) {
            // A fresh login: one that carries a seat's token takes it back.
            const auto review =
                game_.reviewLogin({code_, std::nullopt, std::nullopt, request.data});
            const auto* form = std::get_if<server::LoginForm>(&review);
            reviewed = form ? *form : reviewed;
            return check(form ? server::Outcome{} : std::get<server::Outcome>(review), before,
                         data);
        }
        asker_ = admits_ ? token = "token-" + std::to_string(++issued_) : asker_;
        check(admits_                    ? game_.admit(*reviewed, asker_)
              : code_ == RequestCode{10} ? game_.remove(asker_)
                                         : game_.handle(request),
              before, data);
    }

private:
    void check(const server::Outcome& outcome, std::size_t before, std::string_view data) {
        const server::Roster& roster = game_.roster();
        const server::Player* asker = roster.byToken(asker_);
        const bool joins = admits_ && outcome.ok();
        const bool leaves = outcome.departed.has_value();
        const bool leads =
            outcome.ok() && code_ >= RequestCode::initNewDeal && code_ <= RequestCode::openCards;
        const bool votes = outcome.ok() && code_ == RequestCode::cardElected;
        require(roster.size() + leaves == before + joins && (!joins || asker) &&
                    (!leaves || (outcome.ok() && outcome.departed == asker_ && !asker)),
                "the roster changed otherwise than the request says");
        require(!joins ||
                    (roster.size() <= maxPlayers_ &&
                     std::ranges::count(roster.players(), asker->name, &server::Player::name) == 1),
                "a name taken twice, or more players than the game takes");
        require(!joins || !asAdmin_ || !admin_ || !roster.byToken(*admin_),
                "a second admin was seated");
        admin_ = joins && asAdmin_ ? asker_ : admin_;
        require(!leads || admin_ == asker_, "someone other than the admin leads the deal");
        const Json body = Json::parse(data, nullptr, false);
        require(!votes || (voting_ && asker && body.is_object() &&
                           body.value("player_name", "") == asker->name &&
                           isDeckSymbol(body.value("symbol", ""))),
                "a vote out of turn, under another name or for no card");
        // The opening shows every card first, and a departure may tell the
        // admin its own card again: only those tell anyone twice.
        const bool opens = leads && code_ == RequestCode::openCards;
        opened_ = leads ? opens || (opened_ && code_ != RequestCode::initNewDeal) : opened_;
        std::multiset<std::string> told;
        for (const server::Push& push : outcome.pushes) {
            told.insert(push.recipient);
            require(push.request.token == push.recipient && roster.byToken(push.recipient) &&
                        (!joins || push.recipient != asker_) &&
                        (opens || told.count(push.recipient) == 1 ||
                         (leaves && push.recipient == admin_)),
                    "a push for someone not seated, under another token, or twice");
            requireSealed(push);
        }
        const std::set<std::string> recipients(told.begin(), told.end());
        require(recipients.size() == (joins ? before : (leads || votes || leaves) * roster.size()),
                "not every player is told");
        voting_ =
            leads ? code_ == RequestCode::play || (voting_ && opens) : voting_ && !roster.empty();
    }

    // Before the opening a card shows only to its own player.
    void requireSealed(const server::Push& push) const {
        const Json body = push.request.request == RequestCode::cardElected
                              ? Json::parse(push.request.data->text(), nullptr, false)
                              : Json();
        const server::Player* recipient = game_.roster().byToken(push.recipient);
        require(!body.is_object() || opened_ || body.value("symbol", "") == "*" ||
                    body.value("player_name", "") == recipient->name,
                "a card shown to another player before the opening");
    }

    server::Game game_;
    const std::size_t maxPlayers_;
    std::array<std::string, 4> tokens_;
    std::array<std::optional<server::LoginForm>, 4> reviewed_;
    std::string asker_;
    RequestCode code_ = RequestCode::logout;
    bool admits_ = false;
    bool asAdmin_ = false;
    int issued_ = 0;
    std::optional<std::string> admin_;
    bool voting_ = false;
    bool opened_ = false;
};

}  // namespace

// The first byte sets the player limit (1...6), then each line is a step:
// its action, its seat and its data.
void fuzzGame(std::string_view input) {
    GameRun run(1 + (input.empty() ? 0 : static_cast<std::uint8_t>(input[0]) % 6));
    for (std::size_t end = 0, start = 1; start + 2 <= input.size(); start = end + 1) {
        end = std::min(input.find('\n', start + 2), input.size());
        run.step(input[start], input[start + 1], input.substr(start + 2, end - start - 2));
    }
}

}  // namespace tarvendo::fuzz
