#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "support/Loopback.h"
#include "transport/Address.h"

namespace tarvendo::test {

// A stand-in game server on 127.0.0.1: serves one connection at a time,
// records every request and answers each with the next queued message, OK
// once the queue is empty.
class SubstituteGameServer {
public:
    SubstituteGameServer();
    ~SubstituteGameServer();
    SubstituteGameServer(const SubstituteGameServer&) = delete;
    SubstituteGameServer& operator=(const SubstituteGameServer&) = delete;

    Address address() const { return {"127.0.0.1", listener_.port}; }
    void answerNext(AnswerMessage message, std::int64_t code = 0);
    void answerNext(Answer answer);
    std::vector<Request> requests() const;
    // Closes the connection and accepts no other: later exchanges get no answer.
    void goAway();

private:
    void serve(Socket& connection);
    Answer nextAnswer();

    Listener listener_ = makeListener();
    mutable std::mutex mutex_;  // guards the three fields below and the writes of done_
    std::deque<Answer> answers_;
    std::vector<Request> requests_;
    std::shared_ptr<Socket> connection_;
    std::atomic<bool> done_{false};
    std::thread worker_;
};

}  // namespace tarvendo::test
