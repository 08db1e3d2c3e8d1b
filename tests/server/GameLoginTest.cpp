#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

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

TEST_F(GameLoginTest, DefaultGameTakesTwentyFourPlayers) {
    game = Game();
    seat(Code::loginAdmin, "P1");
    for (int i = 2; i <= 24; ++i) {
        seat(Code::loginPlayer, "P" + std::to_string(i));
    }
    EXPECT_EQ(login(Code::loginPlayer, "P25").answer.info, "The game is full");
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
