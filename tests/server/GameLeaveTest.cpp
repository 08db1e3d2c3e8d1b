#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

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
