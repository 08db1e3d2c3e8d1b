#include "GameTestSupport.h"

namespace tarvendo::server::test {
namespace {

using Code = RequestCode;
using Message = AnswerMessage;

using GameLeaveTest = ThreePlayerGameTest;

TEST_F(GameLeaveTest, LogoutTellsTheOthersAndVoidsTheToken) {
    const Outcome outcome = ask(Code::logout, bob);
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.departed, bob);
    ASSERT_EQ(recipientsOf(outcome), (std::vector<std::string>{ann, cid}));
    for (const Push& push : outcome.pushes) {
        EXPECT_EQ(push.request.request, Code::playerRemoved);
        EXPECT_EQ(push.request.token, push.recipient);
        EXPECT_EQ(bodyOf(push.request), (Json{{"player_name", "Bob"}}));
    }
    EXPECT_EQ(ask(Code::play, bob).answer.message, Message::invalidToken);
}

TEST_F(GameLeaveTest, NameIsFreeAgainAfterLeaving) {
    game.remove(bob);
    EXPECT_EQ(login(Code::loginPlayer, loginBody("Bob"), "token-Bob-2").answer.message,
              Message::OK);
}

TEST_F(GameLeaveTest, RemovedPlayerIsAnnouncedLikeALogout) {
    const Outcome outcome = game.remove(cid);
    EXPECT_EQ(outcome.departed, cid);
    EXPECT_EQ(recipientsOf(outcome), (std::vector<std::string>{ann, bob}));
    EXPECT_EQ(game.roster().size(), 2U);
}

TEST_F(GameLeaveTest, RemovingAnUnknownTokenChangesNothing) {
    const Outcome outcome = game.remove("stranger");
    EXPECT_FALSE(outcome.departed);
    EXPECT_TRUE(outcome.pushes.empty());
    EXPECT_EQ(game.roster().size(), 3U);
}

TEST_F(GameLeaveTest, AdminSeatFreesButThePlayersStay) {
    game.remove(ann);
    EXPECT_EQ(login(Code::loginPlayer, "Dan").answer.message, Message::adminNotLoggedIn);
    const Outcome outcome = login(Code::loginAdmin, loginBody("Eve", "Retro"), "token-Eve");
    EXPECT_EQ(outcome.answer.message, Message::OK);
    EXPECT_EQ(outcome.answer.info, "Retro");
    EXPECT_EQ(dataOf(outcome.answer), Json::array({"Bob", "Cid", "Eve"}));
    EXPECT_EQ(ask(Code::play, "token-Eve").answer.message, Message::OK);
    EXPECT_EQ(ask(Code::play, bob).answer.message, Message::error);
}

TEST_F(GameLeaveTest, FormerAdminTokenLeadsNothing) {
    ask(Code::logout, ann);
    EXPECT_EQ(ask(Code::initNewDeal, ann, Json{{"title", "T"}}).answer.message,
              Message::invalidToken);
}

}  // namespace
}  // namespace tarvendo::server::test
