#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "protocol/DeckSymbols.h"
#include "protocol/ToolBox.h"
#include "server/Game.h"

namespace tarvendo::server::test {
namespace {

using Code = RequestCode;
using Message = AnswerMessage;

Request makeRequest(Code code, std::optional<std::string> token = std::nullopt,
                    const std::optional<Json>& body = std::nullopt) {
    return Request{code, std::move(token), std::nullopt,
                   body ? ToolBox::toJsonObject(body) : std::nullopt};
}

Json loginBody(const std::string& name, const std::string& gameName = "Sprint",
               std::int64_t port = 51000) {
    return Json{{"player_name", name}, {"game_name", gameName}, {"client_server_port", port}};
}

// Expects one push to each recipient, in order, each with the recipient's own
// token; `body` absent for a push without one.
void expectPushes(const Outcome& outcome, const std::vector<std::string>& recipients, Code code,
                  const std::optional<Json>& body) {
    ASSERT_EQ(outcome.pushes.size(), recipients.size()) << name(code);
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        const Request& push = outcome.pushes[i].request;
        EXPECT_EQ(outcome.pushes[i].recipient, recipients[i]);
        EXPECT_EQ(push.request, code);
        EXPECT_EQ(push.token, recipients[i]);
        EXPECT_EQ(ToolBox::fromJsonObject(push.data), body);
    }
}

// A game of at most four players with predictable tokens: "token-" + name.
class GameTest : public ::testing::Test {
protected:
    // Reviews and admits a login; the outcome of whichever step decided.
    Outcome login(Code code, const Json& body, const std::string& token) {
        const auto review = game.reviewLogin(makeRequest(code, std::nullopt, body));
        if (const Outcome* refused = std::get_if<Outcome>(&review)) {
            return *refused;
        }
        return game.admit(std::get<LoginForm>(review), token);
    }
    Outcome login(Code code, const std::string& name) {
        return login(code, loginBody(name), "token-" + name);
    }
    // Seats a player who must be accepted; its token.
    std::string seat(Code code, const std::string& name) {
        const Outcome outcome = login(code, name);
        EXPECT_EQ(outcome.answer.message, Message::OK)
            << name << ": " << outcome.answer.info.value_or("");
        return "token-" + name;
    }
    Outcome ask(Code code, const std::string& token,
                const std::optional<Json>& body = std::nullopt) {
        return game.handle(makeRequest(code, token, body));
    }

    Game game{4};
};

// Ann is the admin; Bob and Cid play.
class ThreePlayerGameTest : public GameTest {
protected:
    void SetUp() override {
        ann = seat(Code::loginAdmin, "Ann");
        bob = seat(Code::loginPlayer, "Bob");
        cid = seat(Code::loginPlayer, "Cid");
    }

    std::string ann, bob, cid;
};

using GameLoginTest = GameTest;

TEST_F(GameLoginTest, AdminGetsTokenGameNameAndTheTrimmedPlayerList) {
    const Outcome outcome =
        login(Code::loginAdmin, loginBody(" \t\r\n Ann  Lee \n", " Sprint 7 "), "t1");
    EXPECT_EQ(outcome.answer.code, 0);
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.answer.token, "t1");
    EXPECT_EQ(outcome.answer.info, "Sprint 7");
    EXPECT_EQ(ToolBox::fromJsonObject(outcome.answer.data), Json::array({"Ann  Lee"}));
    EXPECT_TRUE(outcome.pushes.empty());
}

// A player names no game; it learns the admin's.
TEST_F(GameLoginTest, PlayerSeesEveryoneInJoiningOrderAndOthersAreTold) {
    const std::string ann = seat(Code::loginAdmin, "Ann");
    const std::string bob = seat(Code::loginPlayer, "Bob");
    const Outcome outcome =
        login(Code::loginPlayer, Json{{"player_name", "Cid"}, {"client_server_port", 51000}}, "t");
    EXPECT_EQ(outcome.answer.info, "Sprint");
    EXPECT_EQ(ToolBox::fromJsonObject(outcome.answer.data), Json::array({"Ann", "Bob", "Cid"}));
    expectPushes(outcome, {ann, bob}, Code::playerAdded, Json{{"player_name", "Cid"}});
}

TEST_F(GameLoginTest, MalformedLoginsAreInvalidData) {
    const std::string longest = [] {
        std::string name;
        for (int i = 0; i < 64; ++i) {
            name += "é";  // two bytes, one character
        }
        return name;
    }();
    const std::optional<Json> bodies[] = {
        std::nullopt,
        loginBody("Ann", "   "),
        loginBody("", "Sprint"),
        loginBody(" \t ", "Sprint"),
        loginBody(longest + "x"),
        Json{{"game_name", "Sprint"}, {"client_server_port", 51000}},
        Json{{"player_name", "Ann"}, {"game_name", "Sprint"}},
        loginBody("Ann", "Sprint", 0),
        loginBody("Ann", "Sprint", 65536),
        loginBody("Ann", "Sprint", -1),
        Json{{"player_name", "Ann"}, {"game_name", "Sprint"}, {"client_server_port", "51000"}},
        Json{{"player_name", 7}, {"game_name", "Sprint"}, {"client_server_port", 51000}},
        Json::array({"Ann"}),
    };
    for (const std::optional<Json>& body : bodies) {
        SCOPED_TRACE(body ? body->dump() : "no data");
        const auto review = game.reviewLogin(makeRequest(Code::loginAdmin, std::nullopt, body));
        ASSERT_TRUE(std::holds_alternative<Outcome>(review));
        const Answer& answer = std::get<Outcome>(review).answer;
        EXPECT_EQ(answer.message, Message::invalidData);
        EXPECT_NE(answer.code, 0);
        EXPECT_FALSE(answer.info.value_or("").empty());
    }
    EXPECT_EQ(login(Code::loginAdmin, loginBody(longest), "t").answer.message, Message::OK);
}

TEST_F(GameLoginTest, OneAdminAfterWhomPlayersWithUniqueNamesUpToTheLimit) {
    EXPECT_EQ(login(Code::loginPlayer, "Bob").answer.message, Message::adminNotLoggedIn);
    EXPECT_TRUE(game.roster().empty());
    seat(Code::loginAdmin, "Ann");
    EXPECT_EQ(login(Code::loginAdmin, "Bob").answer.message, Message::adminAlreadyLoggenIn);
    // Names match after trimming only.
    EXPECT_EQ(login(Code::loginPlayer, loginBody(" Ann\t"), "t").answer.message,
              Message::userNameAlreadyInUse);
    seat(Code::loginPlayer, "ann");
    seat(Code::loginPlayer, "Cid");
    seat(Code::loginPlayer, "Dan");
    const Outcome full = login(Code::loginPlayer, "Eve");
    EXPECT_EQ(full.answer.message, Message::error);
    EXPECT_EQ(full.answer.info, "The game is full");
    EXPECT_EQ(game.roster().size(), 4U);
}

// The server connects to the client server between review and admission;
// whatever happened meanwhile still counts.
TEST_F(GameLoginTest, AdmissionChecksTheSeatAgain) {
    seat(Code::loginAdmin, "Ann");
    const auto first =
        game.reviewLogin(makeRequest(Code::loginPlayer, std::nullopt, loginBody("Bob")));
    const auto second =
        game.reviewLogin(makeRequest(Code::loginPlayer, std::nullopt, loginBody("Bob")));
    ASSERT_TRUE(std::holds_alternative<LoginForm>(first));
    ASSERT_TRUE(std::holds_alternative<LoginForm>(second));
    EXPECT_TRUE(game.admit(std::get<LoginForm>(first), "t1").ok());
    const Outcome late = game.admit(std::get<LoginForm>(second), "t2");
    EXPECT_EQ(late.answer.message, Message::userNameAlreadyInUse);
    EXPECT_TRUE(late.pushes.empty());
}

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

using GameLeaveTest = ThreePlayerGameTest;

TEST_F(GameLeaveTest, LogoutTellsTheOthersAndVoidsTheToken) {
    const Outcome outcome = ask(Code::logout, bob);
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.departed, bob);
    expectPushes(outcome, {ann, cid}, Code::playerRemoved, Json{{"player_name", "Bob"}});
    EXPECT_EQ(ask(Code::play, bob).answer.message, Message::invalidToken);
}

TEST_F(GameLeaveTest, RemovalIsAnnouncedLikeALogoutAndFreesTheName) {
    const Outcome stranger = game.remove("stranger");
    EXPECT_FALSE(stranger.departed);
    EXPECT_TRUE(stranger.pushes.empty());
    const Outcome outcome = game.remove(cid);
    EXPECT_EQ(outcome.departed, cid);
    expectPushes(outcome, {ann, bob}, Code::playerRemoved, Json{{"player_name", "Cid"}});
    EXPECT_EQ(game.roster().size(), 2U);
    EXPECT_EQ(login(Code::loginPlayer, loginBody("Cid"), "token-Cid-2").answer.message,
              Message::OK);
}

TEST_F(GameLeaveTest, AdminSeatFreesButThePlayersStay) {
    game.remove(ann);
    EXPECT_EQ(login(Code::loginPlayer, "Dan").answer.message, Message::adminNotLoggedIn);
    const Outcome outcome = login(Code::loginAdmin, loginBody("Eve", "Retro"), "token-Eve");
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.answer.info, "Retro");
    EXPECT_EQ(ToolBox::fromJsonObject(outcome.answer.data), Json::array({"Bob", "Cid", "Eve"}));
    EXPECT_EQ(ask(Code::play, "token-Eve").answer.message, Message::OK);
    EXPECT_EQ(ask(Code::play, bob).answer.message, Message::error);
    EXPECT_EQ(ask(Code::play, ann).answer.message, Message::invalidToken);
}

}  // namespace
}  // namespace tarvendo::server::test
