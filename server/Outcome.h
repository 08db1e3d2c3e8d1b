#pragma once

#include <optional>
#include <string>
#include <vector>

#include "protocol/Answer.h"
#include "protocol/Request.h"

namespace tarvendo::server {

// One request to push to one player's client server; it already carries that
// player's token.
struct Push {
    std::string recipient;  // the recipient's token
    Request request;
};

// What the game made of one request: the answer for the asker and what every
// other player must be told.
struct Outcome {
    Answer answer;
    std::vector<Push> pushes;
    // To a newcomer, once its login answer has been written: the deal so far.
    std::vector<Push> replay;
    std::string player;                   // the asker's name, for the log; may be empty
    std::optional<std::string> departed;  // the token of a player who left the game
    bool resumed = false;                 // a login took its seat back

    bool ok() const { return answer.message == AnswerMessage::OK; }
};

// Answer codes: 0 for OK, otherwise the message's place in the vocabulary, so
// refusals can be told apart by number too.
std::int64_t answerCode(AnswerMessage message);
Answer accepted(std::string token);
Answer refused(AnswerMessage message, std::string info, std::string token = {});
Outcome refusal(AnswerMessage message, std::string info, std::string player = {});

}  // namespace tarvendo::server
