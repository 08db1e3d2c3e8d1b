#include "support/ScriptedGameServer.h"

#include "support/PushSink.h"
#include "transport/Frame.h"

namespace tarvendo::test {

ScriptedGameServer::ScriptedGameServer() {
    worker_ = std::thread([this] {
        while (!done_) {  // looked at every 100 ms while nobody connects
            if (std::shared_ptr<Socket> connection = acceptOne(listener_, 100)) {
                {
                    // goAway() either sees this connection or stops it here.
                    const std::lock_guard lock(mutex_);
                    if (done_) {
                        return;
                    }
                    connection_ = connection;
                }
                serve(*connection);
            }
        }
    });
}

ScriptedGameServer::~ScriptedGameServer() {
    goAway();
}

void ScriptedGameServer::goAway() {
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
        if (connection_) {
            connection_->shutdown();
        }
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    listener_.socket->shutdown();
}

void ScriptedGameServer::answerNext(AnswerMessage message, std::int64_t code) {
    answerNext(Answer{code, message, {}, {}, {}});
}

void ScriptedGameServer::answerNext(Answer answer) {
    const std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
}

std::vector<std::string> ScriptedGameServer::sent() const {
    std::vector<std::string> sent;
    for (const Request& request : requests()) {
        sent.push_back(request.request == RequestCode::cardElected
                           ? bodyOf(request).value("symbol", "")
                           : std::string(name(request.request)));
    }
    return sent;
}

Answer ScriptedGameServer::nextAnswer() {
    const std::lock_guard lock(mutex_);
    if (answers_.empty()) {
        return {};
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

void ScriptedGameServer::serve(Socket& connection) {
    FrameReader frames(connection);
    while (std::optional<ByteBuffer> frame = frames.next()) {
        if (const std::optional<Request> request = Request::usingJson(*frame)) {
            requests_.push(*request);
        }
        if (const std::optional<ByteBuffer> answer = nextAnswer().json()) {
            writeFrame(connection, *answer);
        }
    }
}

}  // namespace tarvendo::test
