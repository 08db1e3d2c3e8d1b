#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "server/EventLog.h"
#include "server/Game.h"
#include "server/StateStore.h"
#include "support/Printers.h"
#include "support/PushSink.h"

namespace tarvendo::server {
namespace {

using test::requestWith;
using enum RequestCode;
using enum AnswerMessage;

Json login(const Json& name, const Json& game = "Sprint", const Json& port = 51000) {
    return Json{{"player_name", name}, {"game_name", game}, {"client_server_port", port}};
}

Json vote(const std::string& name, const std::string& symbol) {
    return Json{{"player_name", name}, {"symbol", symbol}};
}

bool isLogin(RequestCode code) {
    return code == loginAdmin || code == loginPlayer;
}

struct Row {
    std::string token;  // the asker's, or the one a login gets
    RequestCode code;
    std::optional<Json> body;
    AnswerMessage message;
    std::string info;                      // the reason, or the game name a login is told
    Json data = nullptr;                   // the roster a login is told, or what everyone is sent
    std::vector<std::string> pushes = {};  // when not the same to everyone
};

// Asks the game what the row asks: a login reviewed and admitted under the
// row's token, or a request with it.
Outcome ask(Game& game, const Row& row) {
    if (!isLogin(row.code)) {
        return game.handle(requestWith(row.code, row.token, row.body));
    }
    const auto review = game.reviewLogin(requestWith(row.code, std::nullopt, row.body));
    const Outcome* refused = std::get_if<Outcome>(&review);
    return refused != nullptr ? *refused : game.admit(std::get<LoginForm>(review), row.token);
}

// A push as its recipient, its token, its code and its data.
std::string describe(const Push& push) {
    const Json data = ToolBox::fromJsonObject(push.request.data).value_or(nullptr);
    return push.recipient + " " + push.request.token.value_or("-") + " " +
           std::string(name(push.request.request)) + " " + data.dump();
}

// What an accepted row pushes to the player with the token.
std::string pushOf(const Row& row, const std::string& to) {
    const bool joined = isLogin(row.code);
    const RequestCode code = joined ? playerAdded : row.code == logout ? playerRemoved : row.code;
    const Json data = joined ? Json{{"player_name", row.data.back()}} : row.data;
    return describe(Push{to, requestWith(code, to, data)});
}

// A game of at most four, request after request: who may ask what when, and
// the reasons of the refusals. An accepted request is pushed, in order, to
// every player but a newcomer, each push with its recipient's own token; a
// card is shown only to its player until the opening shows them all.
TEST(GameTest, RequestsInTurn) {
    std::string longest;  // 64 characters of two bytes each
    for (int i = 0; i < 64; ++i) {
        longest += "é";
    }
    const std::string noAdmin = "The game has no admin yet";
    const std::string badToken = "The token was not issued by this game";
    const std::string lead = "Only the admin leads the deal";
    const std::string notYet = "Cards are elected only after play";
    const Row rows[] = {
        {"Bob", loginPlayer, login("Bob"), adminNotLoggedIn, noAdmin},
        {"al", loginAdmin, std::nullopt, invalidData, "The login needs a JSON object as its data"},
        {"al", loginAdmin, login(" \t "), invalidData, "The player name is missing or blank"},
        {"al", loginAdmin, login(longest + "x"), invalidData,
         "The player name is longer than 64 characters"},
        {"al", loginAdmin, login("Al", "   "), invalidData, "The game name is missing or blank"},
        {"al", loginAdmin, login("Al", "G", 0), invalidData,
         "The client server port is missing or not in 1...65535"},
        {"al", loginAdmin, login(" \t\r\n Al  Li \n", " Sprint 7 "), OK, "Sprint 7",
         Json::array({"Al  Li"})},
        {"Bob", loginAdmin, login("Bob"), adminAlreadyLoggenIn, "The game has an admin already"},
        {"Bob", loginPlayer, login(" Al  Li\t"), userNameAlreadyInUse,
         "The name is taken in this game"},
        {"64", loginPlayer, login(longest, nullptr), OK, "Sprint 7",
         Json::array({"Al  Li", longest})},
        {"Bob", loginPlayer, login("Bob"), OK, "Sprint 7", Json::array({"Al  Li", longest, "Bob"})},
        {"bob", loginPlayer, login("bob"), OK, "Sprint 7",
         Json::array({"Al  Li", longest, "Bob", "bob"})},
        {"Eve", loginPlayer, login("Eve"), error, "The game is full"},
        {"forged", play, std::nullopt, invalidToken, badToken},
        {"Bob", initNewDeal, Json{{"title", "Mine"}}, error, "Only the admin starts a deal"},
        {"Bob", play, std::nullopt, error, lead},
        {"Bob", playerAdded, Json{{"player_name", "X"}}, unknownRequest,
         "The server does not take this request here"},
        {"al", play, std::nullopt, error, "No deal to play"},
        {"al", openCards, std::nullopt, error, "No deal is in play"},
        {"al", initNewDeal, Json{{"title", " "}}, invalidData, "The deal needs a non-blank title"},
        {"al", initNewDeal, Json{{"title", "  Login page "}}, OK, "",
         Json{{"title", "Login page"}}},
        {"Bob", cardElected, vote("Bob", "5"), error, notYet},
        {"al", openCards, std::nullopt, error, "No deal is in play"},
        {"al", play, std::nullopt, OK, ""},
        {"Bob", cardElected, vote("bob", "8"), invalidData,
         "The player name must be the token's own"},
        {"Bob", cardElected, vote("Bob", "4"), invalidData, "The symbol is not a card of the deck"},
        {"Bob",
         cardElected,
         vote("Bob", "½"),
         OK,
         "",
         nullptr,
         {R"(al al cardElected {"player_name":"Bob","symbol":"*"})",
          R"(64 64 cardElected {"player_name":"Bob","symbol":"*"})",
          R"(Bob Bob cardElected {"player_name":"Bob","symbol":"½"})",
          R"(bob bob cardElected {"player_name":"Bob","symbol":"*"})"}},
        {"al",
         openCards,
         std::nullopt,
         OK,
         "",
         nullptr,
         {R"(al al cardElected {"player_name":"Bob","symbol":"½"})",
          R"(64 64 cardElected {"player_name":"Bob","symbol":"½"})",
          R"(Bob Bob cardElected {"player_name":"Bob","symbol":"½"})",
          R"(bob bob cardElected {"player_name":"Bob","symbol":"½"})", "al al openCards null",
          "64 64 openCards null", "Bob Bob openCards null", "bob bob openCards null"}},
        {"bob", cardElected, vote("bob", "∞"), OK, "", vote("bob", "∞")},
        {"al", logout, std::nullopt, OK, "", Json{{"player_name", "Al  Li"}}},
        {"al", play, std::nullopt, invalidToken, badToken},
        {"Eve", loginPlayer, login("Eve"), adminNotLoggedIn, noAdmin},
        {"eve", loginAdmin, login("Al  Li", "Retro"), OK, "Retro",
         Json::array({longest, "Bob", "bob", "Al  Li"})},
        {"Bob", play, std::nullopt, error, lead},
        {"eve", initNewDeal, Json{{"title", "Next"}}, OK, "", Json{{"title", "Next"}}},
        {"Bob", cardElected, vote("Bob", "8"), error, notYet},
    };
    Game game(4);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows + 1) + ": " + std::string(name(row.code)));
        const Outcome outcome = ask(game, row);
        EXPECT_EQ(outcome.answer.message, row.message);
        EXPECT_EQ(outcome.answer.info.value_or(""), row.info);
        EXPECT_EQ(outcome.answer.code == 0, row.message == OK);
        std::vector<std::string> pushes, expected;
        std::transform(outcome.pushes.begin(), outcome.pushes.end(), std::back_inserter(pushes),
                       describe);
        for (const Player& player : game.roster().players()) {
            if (outcome.ok() && !(isLogin(row.code) && player.token == row.token)) {
                expected.push_back(pushOf(row, player.token));
            }
        }
        EXPECT_EQ(pushes, row.pushes.empty() ? expected : row.pushes);
        if (isLogin(row.code) && outcome.ok()) {
            EXPECT_EQ(outcome.answer.token, row.token);
            EXPECT_EQ(ToolBox::fromJsonObject(outcome.answer.data), row.data);
        }
    }
    EXPECT_FALSE(game.remove("stranger").departed);
}

// The host connects to the client server between review and admission; a
// seat taken meanwhile still counts.
TEST(GameTest, AdmissionChecksTheSeatAgain) {
    Game game;
    ask(game, Row{"ann", loginAdmin, login("Ann"), OK, ""});
    const Request bob = requestWith(loginPlayer, std::nullopt, login("Bob"));
    const auto first = game.reviewLogin(bob);
    const auto second = game.reviewLogin(bob);
    ASSERT_TRUE(std::holds_alternative<LoginForm>(first) &&
                std::holds_alternative<LoginForm>(second));
    EXPECT_TRUE(game.admit(std::get<LoginForm>(first), "bob").ok());
    const Outcome late = game.admit(std::get<LoginForm>(second), "bob2");
    EXPECT_EQ(late.answer.message, userNameAlreadyInUse);
    EXPECT_TRUE(late.pushes.empty());
}

std::vector<std::string> described(const std::vector<Push>& pushes) {
    std::vector<std::string> lines;
    std::transform(pushes.begin(), pushes.end(), std::back_inserter(lines), describe);
    return lines;
}

// Logs in from the address; the outcome of whichever step decided.
Outcome enter(Game& game, const std::string& name, const std::string& token,
              std::optional<std::string> carried = std::nullopt,
              const std::string& address = "10.0.0.1") {
    const auto review =
        game.reviewLogin(requestWith(loginPlayer, std::move(carried), login(name)), address);
    const Outcome* refused = std::get_if<Outcome>(&review);
    return refused != nullptr ? *refused : game.admit(std::get<LoginForm>(review), token);
}

// A deal that a newcomer joins late, a player who drops and comes back
// (by token, or by name from the same address), a seat whose grace runs out,
// and a restart from the stored game. Tokens are the players' names.
TEST(GameTest, TheDealSurvivesLateJoinersDeparturesAndComebacks) {
    using namespace std::chrono_literals;
    const Game::Clock::time_point t0{};
    Game game(5, 60s);
    ask(game, Row{"Al", loginAdmin, login("Al"), OK, ""});
    EXPECT_TRUE(enter(game, "Bo", "Bo").ok());
    EXPECT_TRUE(enter(game, "Cy", "Cy").ok());
    for (const Row& row :
         {Row{"Al", initNewDeal, Json{{"title", "T"}}, OK, ""},
          Row{"Al", play, std::nullopt, OK, ""}, Row{"Bo", cardElected, vote("Bo", "5"), OK, ""},
          Row{"Al", cardElected, vote("Al", "3"), OK, ""}}) {
        ASSERT_TRUE(ask(game, row).ok());
    }
    const std::vector<std::string> dealSoFar{
        R"(Dee Dee initNewDeal {"title":"T"})", "Dee Dee play null",
        R"(Dee Dee cardElected {"player_name":"Al","symbol":"*"})",
        R"(Dee Dee cardElected {"player_name":"Bo","symbol":"*"})"};
    EXPECT_EQ(described(enter(game, "Dee", "Dee").replay), dealSoFar) << "a late joiner";

    EXPECT_TRUE(game.leaveWithoutLogout("Bo", t0).pushes.empty()) << "nobody is told";
    EXPECT_EQ(enter(game, "Bo", "new", std::nullopt, "10.9.9.9").answer.message,
              userNameAlreadyInUse)
        << "only from its own address";
    const Outcome back = enter(game, "Bo", "new");
    EXPECT_TRUE(back.resumed && back.pushes.empty());
    EXPECT_EQ(back.answer.token, "Bo");
    EXPECT_EQ(described(back.replay).at(3),
              R"(Bo Bo cardElected {"player_name":"Bo","symbol":"5"})")
        << "its own card in the clear";
    EXPECT_TRUE(enter(game, "Other", "x", "Cy").resumed) << "a token takes any seat back";

    game.leaveWithoutLogout("Cy", t0);
    game.leaveWithoutLogout("Cy", t0 + 30s);
    EXPECT_EQ(game.nextExpiry(), t0 + 60s) << "a second loss does not extend the grace";
    EXPECT_TRUE(game.expireAway(t0 + 59s).empty());
    const std::vector<Outcome> gone = game.expireAway(t0 + 60s);
    ASSERT_EQ(gone.size(), 1U);
    EXPECT_EQ(gone[0].pushes.size(), 3U) << "Cy's seat goes: playerRemoved to the rest";

    const GameSnapshot stored = game.snapshot();
    const Outcome dee = game.remove("Dee");
    EXPECT_EQ(described(dee.pushes).back(),
              R"(Al Al cardElected {"player_name":"Al","symbol":"3"})")
        << "everyone left has a card: the admin's Open comes on";

    Game restarted(5, 10s);
    restarted.restore(stored, t0);
    EXPECT_EQ(restarted.snapshot(), stored);
    EXPECT_TRUE(restarted.isAway("Al") && restarted.isAway("Dee"));
    EXPECT_EQ(described(enter(restarted, "Dee", "d2", "Dee").replay), dealSoFar);
    EXPECT_EQ(restarted.expireAway(t0 + 10s).size(), 2U) << "the others did not come back";
}

// The game on disk: what was saved is loaded, an opened deal goes into the
// history (a late vote too) and out as CSV, and a file that is not a state
// file is refused and left as it was.
TEST(StateStoreTest, KeepsTheGameAndItsHistoryAndRefusesOtherFiles) {
    const std::string path = testing::TempDir() + "state-" + std::to_string(::getpid()) + ".db";
    GameSnapshot game{"Sprint",
                      "t1",
                      {{"Al", "t1", "10.0.0.1", "3"}, {"Bo, \"the\"\nsecond", "t2", "", "=1+1"}},
                      7,
                      "Login",
                      Deal::Phase::open};
    {
        auto opened = StateStore::open(path);
        auto& store = std::get<std::unique_ptr<StateStore>>(opened);
        EXPECT_EQ(store->load(), std::nullopt) << "a new file holds no game";
        ASSERT_TRUE(store->save(game));
        game.seats.push_back({"Cy", "t3", "", "5"});  // a late vote
        ASSERT_TRUE(store->save(game));
    }
    auto reopened = StateStore::open(path);
    auto& store = std::get<std::unique_ptr<StateStore>>(reopened);
    EXPECT_EQ(store->load(), game);
    std::ostringstream csv;
    ASSERT_TRUE(store->exportHistory(csv));
    const std::string rows = csv.str();
    EXPECT_EQ(rows.rfind("time,title,player,symbol\r\n", 0), 0U);
    EXPECT_NE(rows.find("Z,Login,Al,3\r\n"), std::string::npos);
    EXPECT_NE(rows.find("Z,Login,\"Bo, \"\"the\"\"\nsecond\",'=1+1\r\n"), std::string::npos);
    EXPECT_NE(rows.find("Z,Login,Cy,5\r\n"), std::string::npos);
    const std::string other = path + ".other";
    std::ofstream(other) << "not a database";
    EXPECT_TRUE(std::holds_alternative<std::string>(StateStore::open(other)));
    std::ifstream kept(other);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a database");
}

TEST(EventLogTest, OneLineOfUtcTimeEventQuotedPlayerAndDetailWithBreaksEscaped) {
    const auto time =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1'765'037'642'123));
    EXPECT_EQ(formatEventLine(time, "loginPlayer", "Ann", "OK"),
              "2025-12-06T16:14:02.123Z loginPlayer \"Ann\" OK");
    EXPECT_EQ(formatEventLine(time, "stopping", "", ""), "2025-12-06T16:14:02.123Z stopping");
    EXPECT_EQ(formatEventLine(time, "logout", "A\"\n\\B", "x\ry"),
              "2025-12-06T16:14:02.123Z logout \"A\\\"\\x0a\\\\B\" x\\x0dy");
}

}  // namespace
}  // namespace tarvendo::server
