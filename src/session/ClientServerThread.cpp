#include "session/ClientServerThread.h"

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "session/PushGate.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

ClientServerThread::ClientServerThread(std::shared_ptr<Socket> socket, PushReceiver receiver,
                                       FrameLimits limits)
    : ServerThread(std::move(socket)),
      receiver_(receiver),
      frames_(this->socket(), limits),
      login_(receiver.shared.loginCount()) {}

void ClientServerThread::run() {
    while (isUsable()) {
        const std::optional<ByteBuffer> payload = frames_.next();
        if (!payload) {
            if (!shouldClose()) {
                printLine("Connection lost");
                reportLoss();
            }
            return;
        }
        handle(*payload);
    }
}

bool ClientServerThread::isUsable() const {
    return socket().isOpen() && !shouldClose();
}

// Anyone may connect and hang up: only the end of a connection that carried
// this session's pushes means the game server has gone.
void ClientServerThread::reportLoss() {
    if (carriedPushes_) {
        receiver_.center.post(Event::pushConnectionLost,
                              UserInfo().setText("login", std::to_string(login_)));
    }
}

void ClientServerThread::handle(const ByteBuffer& payload) {
    if (const std::optional<Request> request = Request::usingJson(payload)) {
        const std::optional<std::string> token = receiver_.shared.token();
        carriedPushes_ = carriedPushes_ || (token && request->token == token);
        if (receiver_.gate != nullptr) {
            receiver_.gate->admit(*request, receiver_);
        } else {
            handlePushedRequest(*request, receiver_);
        }
    } else {
        answerUnknownRequest();
    }
}

void ClientServerThread::answerUnknownRequest() {
    const Answer answer{-1, AnswerMessage::unknownRequest, "", std::nullopt, std::nullopt};
    if (const std::optional<ByteBuffer> json = answer.json()) {
        writeFrame(socket(), *json);  // a peer that is gone finds out on the next read
    }
}

ConnectionLimits clientServerLimits(const Shared& shared) {
    ConnectionLimits limits;
    limits.maxPerAddress = kMaxConnectionsPerStranger;
    limits.closeOldestOfAddress = true;
    limits.isExempt = [&shared](const std::string& address) {
        return shared.gameServerAddress() == address;
    };
    return limits;
}

std::shared_ptr<ServerThread> ClientServerDelegate::serverThread(std::shared_ptr<Socket> socket) {
    return std::make_shared<ClientServerThread>(std::move(socket), receiver_, limits_);
}

}  // namespace tarvendo
