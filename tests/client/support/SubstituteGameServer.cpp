#include "SubstituteGameServer.h"

#include "protocol/Answer.h"
#include "transport/Frame.h"

namespace tarvendo::test {

namespace {

constexpr int kAcceptPollMs = 100;

}  // namespace

SubstituteGameServer::SubstituteGameServer() {
    worker_ = std::thread([this] {
        while (!done_) {
            if (std::shared_ptr<Socket> connection = acceptOne(listener_, kAcceptPollMs)) {
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

SubstituteGameServer::~SubstituteGameServer() {
    goAway();
}

void SubstituteGameServer::goAway() {
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

void SubstituteGameServer::answerNext(AnswerMessage message, std::int64_t code) {
    answerNext(Answer{code, message, {}, {}, {}});
}

void SubstituteGameServer::answerNext(Answer answer) {
    const std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
}

std::vector<Request> SubstituteGameServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

Answer SubstituteGameServer::nextAnswer() {
    const std::lock_guard lock(mutex_);
    if (answers_.empty()) {
        return {};
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

void SubstituteGameServer::serve(Socket& connection) {
    while (std::optional<ByteBuffer> frame = readFrame(connection)) {
        if (const std::optional<Request> request = Request::usingJson(*frame)) {
            const std::lock_guard lock(mutex_);
            requests_.push_back(*request);
        }
        if (const std::optional<ByteBuffer> answer = nextAnswer().json()) {
            writeFrame(connection, *answer);
        }
    }
}

}  // namespace tarvendo::test
