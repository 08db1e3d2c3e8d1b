#include "bot/PushListener.h"

#include "bot/BotPlayer.h"
#include "protocol/Answer.h"
#include "transport/Frame.h"

namespace tarvendo::bot {

namespace {

// A push may overtake the answer to the login that made it possible.
constexpr std::chrono::milliseconds kTokenWait{5'000};

}  // namespace

std::shared_ptr<ServerThread> PushListener::serverThread(std::shared_ptr<Socket> socket) {
    return std::make_shared<PushReader>(std::move(socket), player_);
}

PushReader::PushReader(std::shared_ptr<Socket> socket, BotPlayer& player)
    : ServerThread(std::move(socket)),
      player_(player),
      frames_(this->socket()),
      login_(player.loginCount()) {}

void PushReader::run() {
    while (!shouldClose()) {
        const std::optional<ByteBuffer> payload = frames_.next();
        if (!payload) {
            // Only the game server's connection counts: anyone may connect.
            if (!shouldClose() && carriedPushes_) {
                player_.pushConnectionEnded(login_);
            }
            return;
        }
        handle(*payload);
    }
}

void PushReader::handle(const ByteBuffer& payload) {
    const std::optional<Request> push = Request::usingJson(payload);
    if (!push) {
        // What a client server does with a push it cannot read.
        player_.tally().receivedUndecodable();
        const Answer answer{-1, AnswerMessage::unknownRequest, "", std::nullopt, std::nullopt};
        if (const std::optional<ByteBuffer> json = answer.json()) {
            writeFrame(socket(), *json);
        }
        return;
    }
    if (push->token != player_.line().waitForToken(kTokenWait)) {
        player_.tally().receivedForeignToken();
        return;
    }
    carriedPushes_ = true;
    player_.received(*push);
}

}  // namespace tarvendo::bot
