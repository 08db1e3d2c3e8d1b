#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

using Code = RequestCode;
using Message = AnswerMessage;

class GameLoginTest : public GameTest {};

TEST_F(GameLoginTest, AdminLoginGivesTokenGameNameAndThePlayerList) {
    const Outcome outcome = login(Code::loginAdmin, loginBody("  Ann \n", " Sprint 7 "), "t1");
    EXPECT_EQ(outcome.answer.code, 0);
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.answer.token, "t1");
    EXPECT_EQ(outcome.answer.info, "Sprint 7");
    EXPECT_EQ(dataOf(outcome.answer), Json::array({"Ann"}));
    EXPECT_TRUE(outcome.pushes.empty());
}

TEST_F(GameLoginTest, PlayerSeesEveryoneInJoiningOrderAndOthersAreTold) {
    const std::string ann = seat(Code::loginAdmin, "Ann");
    const std::string bob = seat(Code::loginPlayer, "Bob");
    const Outcome outcome = login(Code::loginPlayer, "Cid");
    EXPECT_EQ(outcome.answer.info, "Sprint");
    EXPECT_EQ(dataOf(outcome.answer), Json::array({"Ann", "Bob", "Cid"}));
    ASSERT_EQ(recipientsOf(outcome), (std::vector<std::string>{ann, bob}));
    for (const Push& push : outcome.pushes) {
        EXPECT_EQ(push.request.request, Code::playerAdded);
        EXPECT_EQ(push.request.token, push.recipient);
        EXPECT_EQ(bodyOf(push.request), (Json{{"player_name", "Cid"}}));
    }
}

TEST_F(GameLoginTest, PlayerNeedsNoGameName) {
    seat(Code::loginAdmin, "Ann");
    const Outcome outcome =
        login(Code::loginPlayer, Json{{"player_name", "Bob"}, {"client_server_port", 51000}}, "t");
    EXPECT_EQ(outcome.answer.message, Message::OK);
}

TEST_F(GameLoginTest, MalformedAdminLoginsAreInvalidData) {
    const Json bodies[] = {
        loginBody("Ann", "   "),
        loginBody("", "Sprint"),
        loginBody(" \t ", "Sprint"),
        Json{{"game_name", "Sprint"}, {"client_server_port", 51000}},
        Json{{"player_name", "Ann"}, {"game_name", "Sprint"}},
        loginBody("Ann", "Sprint", 0),
        loginBody("Ann", "Sprint", 65536),
        loginBody("Ann", "Sprint", -1),
        Json{{"player_name", "Ann"}, {"game_name", "Sprint"}, {"client_server_port", "51000"}},
        Json{{"player_name", 7}, {"game_name", "Sprint"}, {"client_server_port", 51000}},
        Json::array({"Ann"}),
    };
    for (const Json& body : bodies) {
        const Outcome outcome = login(Code::loginAdmin, body, "t");
        EXPECT_EQ(outcome.answer.message, Message::invalidData) << body.dump();
        EXPECT_NE(outcome.answer.code, 0);
        EXPECT_FALSE(outcome.answer.info.value_or("").empty());
    }
    EXPECT_TRUE(game.roster().empty());
}

TEST_F(GameLoginTest, LoginWithoutDataIsInvalidData) {
    const auto review = game.reviewLogin(makeRequest(Code::loginAdmin));
    ASSERT_TRUE(std::holds_alternative<Outcome>(review));
    EXPECT_EQ(std::get<Outcome>(review).answer.message, Message::invalidData);
}

TEST_F(GameLoginTest, NamesAreLimitedToSixtyFourCharactersNotBytes) {
    std::string longest;
    for (int i = 0; i < 64; ++i) {
        longest += "é";
    }
    EXPECT_EQ(login(Code::loginAdmin, loginBody(longest), "t1").answer.message, Message::OK);
    EXPECT_EQ(login(Code::loginPlayer, loginBody(longest + "x"), "t2").answer.message,
              Message::invalidData);
}

TEST_F(GameLoginTest, SecondAdminIsRefused) {
    seat(Code::loginAdmin, "Ann");
    EXPECT_EQ(login(Code::loginAdmin, "Bob").answer.message, Message::adminAlreadyLoggenIn);
}

TEST_F(GameLoginTest, PlayerBeforeTheAdminIsRefused) {
    EXPECT_EQ(login(Code::loginPlayer, "Bob").answer.message, Message::adminNotLoggedIn);
    EXPECT_TRUE(game.roster().empty());
}

TEST_F(GameLoginTest, NameInUseMatchesAfterTrimmingOnly) {
    seat(Code::loginAdmin, "Ann");
    EXPECT_EQ(login(Code::loginPlayer, loginBody(" Ann\t"), "t2").answer.message,
              Message::userNameAlreadyInUse);
    EXPECT_EQ(login(Code::loginPlayer, "ann").answer.message, Message::OK);
}

TEST_F(GameLoginTest, FullGameRefusesWithError) {
    seat(Code::loginAdmin, "Ann");
    seat(Code::loginPlayer, "Bob");
    seat(Code::loginPlayer, "Cid");
    seat(Code::loginPlayer, "Dan");
    const Outcome outcome = login(Code::loginPlayer, "Eve");
    EXPECT_EQ(outcome.answer.message, Message::error);
    EXPECT_EQ(outcome.answer.info, "The game is full");
    EXPECT_EQ(game.roster().size(), 4U);
}

TEST_F(GameLoginTest, DefaultGameTakesTwentyFourPlayers) {
    Game big;
    const auto admit = [&big](RequestCode code, const std::string& name) {
        const auto review = big.reviewLogin(makeRequest(code, std::nullopt, loginBody(name)));
        return std::holds_alternative<LoginForm>(review)
                   ? big.admit(std::get<LoginForm>(review), "token-" + name)
                   : std::get<Outcome>(review);
    };
    EXPECT_TRUE(admit(Code::loginAdmin, "P1").ok());
    for (int i = 2; i <= 24; ++i) {
        EXPECT_TRUE(admit(Code::loginPlayer, "P" + std::to_string(i)).ok());
    }
    EXPECT_EQ(admit(Code::loginPlayer, "P25").answer.info, "The game is full");
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

}  // namespace
}  // namespace tarvendo::server::test
