#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "support/Loopback.h"
#include "support/Waiting.h"
#include "transport/Address.h"

namespace tarvendo::test {

// A stand-in game server on 127.0.0.1, for the client's side of exchanges:
// serves one connection at a time, records every request and answers each
// with the next queued answer, OK once the queue is empty.
class ScriptedGameServer {
public:
    ScriptedGameServer();
    ~ScriptedGameServer();
    ScriptedGameServer(const ScriptedGameServer&) = delete;
    ScriptedGameServer& operator=(const ScriptedGameServer&) = delete;

    Address address() const { return {"127.0.0.1", listener_.port}; }
    void answerNext(AnswerMessage message, std::int64_t code = 0);
    void answerNext(Answer answer);
    std::vector<Request> requests() const { return requests_.items(); }
    // The requests so far by name, a cardElected as the symbol it elects.
    std::vector<std::string> sent() const;
    // Closes the connection and accepts no other: later exchanges get no answer.
    void goAway();

private:
    void serve(Socket& connection);
    Answer nextAnswer();

    Listener listener_ = makeListener();
    Waitable<Request> requests_;
    mutable std::mutex mutex_;  // guards the two fields below and the writes of done_
    std::deque<Answer> answers_;
    std::shared_ptr<Socket> connection_;
    std::atomic<bool> done_{false};
    std::thread worker_;
};

}  // namespace tarvendo::test
