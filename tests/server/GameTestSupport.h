#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Game.h"
#include "ToolBox.h"

namespace tarvendo::server::test {

Request makeRequest(RequestCode code, std::optional<std::string> token = std::nullopt,
                    const std::optional<Json>& body = std::nullopt);
Json loginBody(const std::string& name, const std::string& gameName = "Sprint",
               std::int64_t port = 51000);
// The request's body as JSON; null when it has none.
Json bodyOf(const Request& request);
Json dataOf(const Answer& answer);
// Recipient tokens of the pushes, in order.
std::vector<std::string> recipientsOf(const Outcome& outcome);

// A game of at most four players with predictable tokens: "token-" + name.
class GameTest : public ::testing::Test {
protected:
    Game game{4};

    // Reviews and admits a login; the outcome of whichever step decided.
    Outcome login(RequestCode code, const Json& body, const std::string& token);
    Outcome login(RequestCode code, const std::string& name) {
        return login(code, loginBody(name), "token-" + name);
    }
    // Seats a player who must be accepted; its token.
    std::string seat(RequestCode code, const std::string& name);
    Outcome ask(RequestCode code, const std::string& token,
                const std::optional<Json>& body = std::nullopt) {
        return game.handle(makeRequest(code, token, body));
    }
};

// Ann is the admin; Bob and Cid play.
class ThreePlayerGameTest : public GameTest {
protected:
    void SetUp() override {
        ann = seat(RequestCode::loginAdmin, "Ann");
        bob = seat(RequestCode::loginPlayer, "Bob");
        cid = seat(RequestCode::loginPlayer, "Cid");
    }

    std::string ann, bob, cid;
};

}  // namespace tarvendo::server::test
