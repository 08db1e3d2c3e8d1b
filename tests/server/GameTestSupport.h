#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Game.h"
#include "ToolBox.h"

namespace tarvendo::server::test {

using Code = RequestCode;
using Message = AnswerMessage;

Request makeRequest(Code code, std::optional<std::string> token = std::nullopt,
                    const std::optional<Json>& body = std::nullopt);
Json loginBody(const std::string& name, const std::string& gameName = "Sprint",
               std::int64_t port = 51000);
// Expects one push to each recipient, in order, each with the recipient's own
// token; `body` absent for a push without one.
void expectPushes(const Outcome& outcome, const std::vector<std::string>& recipients, Code code,
                  const std::optional<Json>& body);

// A game of at most four players with predictable tokens: "token-" + name.
class GameTest : public ::testing::Test {
protected:
    Game game{4};

    // Reviews and admits a login; the outcome of whichever step decided.
    Outcome login(Code code, const Json& body, const std::string& token);
    Outcome login(Code code, const std::string& name) {
        return login(code, loginBody(name), "token-" + name);
    }
    // Seats a player who must be accepted; its token.
    std::string seat(Code code, const std::string& name);
    Outcome ask(Code code, const std::string& token,
                const std::optional<Json>& body = std::nullopt) {
        return game.handle(makeRequest(code, token, body));
    }
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

}  // namespace tarvendo::server::test
