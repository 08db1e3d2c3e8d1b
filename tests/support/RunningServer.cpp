#include "support/RunningServer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tarvendo::test {

bool RecordingLog::contains(const std::string& text, std::chrono::milliseconds limit) const {
    return lines_
        .waitForMatch([&](const std::string& line) { return line.find(text) != std::string::npos; },
                      limit)
        .has_value();
}

RunningServer::RunningServer(server::GameServerSettings settings)
    : game_(server::GameServer::start(0, log, std::move(settings))) {
    if (!game_) {
        throw std::runtime_error("the game server cannot listen");
    }
}

void TestPlayer::join(RequestCode code, const std::string& name) {
    const std::optional<Answer> answer = client.login(code, name, pushes.port());
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->message, AnswerMessage::OK) << answer->info.value_or("");
}

}  // namespace tarvendo::test
