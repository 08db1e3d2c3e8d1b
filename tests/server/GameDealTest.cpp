#include "Deck.h"
#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

class GameDealTest : public ThreePlayerGameTest {
protected:
    Outcome startDeal(const std::string& title = "Login page") {
        return ask(Code::initNewDeal, ann, Json{{"title", title}});
    }
    Outcome elect(const std::string& token, const std::string& name, const std::string& symbol) {
        return ask(Code::cardElected, token, Json{{"player_name", name}, {"symbol", symbol}});
    }
    std::vector<std::string> everyone() const { return {ann, bob, cid}; }
};

TEST_F(GameDealTest, RequestsWithoutAnIssuedTokenAreRefused) {
    for (const Code code :
         {Code::logout, Code::initNewDeal, Code::play, Code::openCards, Code::cardElected}) {
        EXPECT_EQ(game.handle(makeRequest(code)).answer.message, Message::invalidToken);
        EXPECT_EQ(ask(code, "forged").answer.message, Message::invalidToken);
    }
}

TEST_F(GameDealTest, EveryStepOfTheAdminIsPushedToEveryone) {
    const Outcome deal = startDeal("  Login page ");
    EXPECT_EQ(deal.answer.message, Message::OK);
    EXPECT_EQ(deal.answer.code, 0);
    expectPushes(deal, everyone(), Code::initNewDeal, Json{{"title", "Login page"}});
    expectPushes(ask(Code::play, ann), everyone(), Code::play, std::nullopt);
    expectPushes(ask(Code::openCards, ann), everyone(), Code::openCards, std::nullopt);
}

TEST_F(GameDealTest, RefusedRequestsPushNothing) {
    struct Case {
        Code code;
        bool byAdmin;
        std::optional<Json> body;
        Message expected;
    };
    const Case cases[] = {
        {Code::initNewDeal, false, Json{{"title", "Mine"}}, Message::error},
        {Code::play, false, std::nullopt, Message::error},
        {Code::openCards, false, std::nullopt, Message::error},
        {Code::initNewDeal, true, Json{{"title", " "}}, Message::invalidData},
        {Code::initNewDeal, true, Json{{"title", 3}}, Message::invalidData},
        {Code::initNewDeal, true, Json::object(), Message::invalidData},
        {Code::initNewDeal, true, std::nullopt, Message::invalidData},
        // Pushes from the server are not requests.
        {Code::playerAdded, false, Json{{"player_name", "X"}}, Message::unknownRequest},
        {Code::playerRemoved, false, Json{{"player_name", "X"}}, Message::unknownRequest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(name(c.code)) + " " + (c.body ? c.body->dump() : ""));
        const Outcome outcome = ask(c.code, c.byAdmin ? ann : bob, c.body);
        EXPECT_EQ(outcome.answer.message, c.expected);
        EXPECT_TRUE(outcome.pushes.empty());
    }
}

TEST_F(GameDealTest, VotingIsOpenFromPlayUntilTheNextDeal) {
    EXPECT_EQ(elect(bob, "Bob", "5").answer.message, Message::error);  // no deal yet
    startDeal();
    EXPECT_EQ(elect(bob, "Bob", "5").answer.message, Message::error);  // not playing yet
    ask(Code::play, ann);
    const Outcome vote = elect(bob, "Bob", "½");
    EXPECT_EQ(vote.answer.message, Message::OK);
    expectPushes(vote, everyone(), Code::cardElected,
                 Json{{"player_name", "Bob"}, {"symbol", "½"}});
    ask(Code::openCards, ann);
    EXPECT_EQ(elect(cid, "Cid", "∞").answer.message, Message::OK);  // a late voter
    startDeal("Next");
    EXPECT_EQ(elect(bob, "Bob", "8").answer.message, Message::error);
}

TEST_F(GameDealTest, VoteMustNameItsOwnPlayerAndACardOfTheDeck) {
    startDeal();
    ask(Code::play, ann);
    EXPECT_EQ(elect(bob, "Cid", "8").answer.message, Message::invalidData);
    for (const std::string symbol : {"4", "#", "", "1/2", "inf"}) {
        EXPECT_EQ(elect(bob, "Bob", symbol).answer.message, Message::invalidData) << symbol;
    }
    EXPECT_EQ(ask(Code::cardElected, bob).answer.message, Message::invalidData);
    for (const std::string_view symbol : kDeckSymbols) {
        EXPECT_EQ(elect(bob, "Bob", std::string(symbol)).answer.message, Message::OK) << symbol;
    }
}

}  // namespace
}  // namespace tarvendo::server::test
