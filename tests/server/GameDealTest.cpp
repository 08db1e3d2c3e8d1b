#include "Deck.h"
#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

using Code = RequestCode;
using Message = AnswerMessage;

class GameDealTest : public ThreePlayerGameTest {
protected:
    Outcome startDeal(const std::string& title = "Login page") {
        return ask(Code::initNewDeal, ann, Json{{"title", title}});
    }
    Outcome elect(const std::string& token, const std::string& name, const std::string& symbol) {
        return ask(Code::cardElected, token, Json{{"player_name", name}, {"symbol", symbol}});
    }
    void expectToEveryone(const Outcome& outcome, RequestCode code, const Json& body) {
        ASSERT_EQ(recipientsOf(outcome), (std::vector<std::string>{ann, bob, cid}));
        for (const Push& push : outcome.pushes) {
            EXPECT_EQ(push.request.request, code);
            EXPECT_EQ(push.request.token, push.recipient);
            EXPECT_EQ(bodyOf(push.request), body);
        }
    }
};

TEST_F(GameDealTest, RequestsWithoutAnIssuedTokenAreRefused) {
    for (const Code code :
         {Code::logout, Code::initNewDeal, Code::play, Code::openCards, Code::cardElected}) {
        EXPECT_EQ(game.handle(makeRequest(code)).answer.message, Message::invalidToken);
        EXPECT_EQ(ask(code, "forged").answer.message, Message::invalidToken);
    }
}

TEST_F(GameDealTest, DealIsPushedToEveryoneWithTheirOwnToken) {
    const Outcome outcome = startDeal("  Login page ");
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.answer.code, 0);
    expectToEveryone(outcome, Code::initNewDeal, Json{{"title", "Login page"}});
}

TEST_F(GameDealTest, DealNeedsANonBlankTitle) {
    for (const Json& body : {Json{{"title", " "}}, Json{{"title", 3}}, Json::object()}) {
        const Outcome outcome = ask(Code::initNewDeal, ann, body);
        EXPECT_EQ(outcome.answer.message, Message::invalidData) << body.dump();
        EXPECT_TRUE(outcome.pushes.empty());
    }
    EXPECT_EQ(ask(Code::initNewDeal, ann).answer.message, Message::invalidData);
}

TEST_F(GameDealTest, OnlyTheAdminLeadsTheDeal) {
    for (const Code code : {Code::initNewDeal, Code::play, Code::openCards}) {
        const Outcome outcome = ask(code, bob, Json{{"title", "Mine"}});
        EXPECT_EQ(outcome.answer.message, Message::error) << name(code);
        EXPECT_TRUE(outcome.pushes.empty());
    }
}

TEST_F(GameDealTest, PlayAndOpenArePushedWithoutBody) {
    startDeal();
    expectToEveryone(ask(Code::play, ann), Code::play, Json());
    expectToEveryone(ask(Code::openCards, ann), Code::openCards, Json());
}

TEST_F(GameDealTest, ElectionIsAcceptedFromPlayOnAndPushedToEveryone) {
    EXPECT_EQ(elect(bob, "Bob", "5").answer.message, Message::error);  // no deal yet
    startDeal();
    EXPECT_EQ(elect(bob, "Bob", "5").answer.message, Message::error);  // not playing yet
    ask(Code::play, ann);
    const Outcome outcome = elect(bob, "Bob", "½");
    EXPECT_EQ(outcome.answer.message, Message::OK);
    expectToEveryone(outcome, Code::cardElected, Json{{"player_name", "Bob"}, {"symbol", "½"}});
}

TEST_F(GameDealTest, LateVoterIsAcceptedAfterOpening) {
    startDeal();
    ask(Code::play, ann);
    ask(Code::openCards, ann);
    EXPECT_EQ(elect(cid, "Cid", "∞").answer.message, Message::OK);
}

TEST_F(GameDealTest, NewDealClosesTheVoting) {
    startDeal();
    ask(Code::play, ann);
    startDeal("Next");
    EXPECT_EQ(elect(bob, "Bob", "8").answer.message, Message::error);
}

TEST_F(GameDealTest, ElectionMustNameTheTokensOwnPlayerAndACardOfTheDeck) {
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

TEST_F(GameDealTest, PushesFromTheServerAreNotRequests) {
    for (const Code code : {Code::playerAdded, Code::playerRemoved}) {
        const Outcome outcome = ask(code, bob, Json{{"player_name", "X"}});
        EXPECT_EQ(outcome.answer.message, Message::unknownRequest);
        EXPECT_TRUE(outcome.pushes.empty());
    }
}

}  // namespace
}  // namespace tarvendo::server::test
