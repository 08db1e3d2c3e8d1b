#pragma once

#include <cstddef>
#include <deque>
#include <mutex>

#include "protocol/Request.h"

namespace tarvendo {

struct PushReceiver;

// Holds the pushes that arrive while a login exchange is in flight: the game
// server may push (a deal started a moment later) before the client has the
// token of the login's answer to check them against. Bounded, so a flood
// cannot fill memory: beyond kMaxHeldPushes or kMaxHeldBytes the oldest go.
class PushGate {
public:
    static constexpr std::size_t kMaxHeldPushes = 256;
    static constexpr std::size_t kMaxHeldBytes = 1 << 20;

    // From now on pushes are held. Main thread, before the login is sent.
    void hold();
    // Delivers the held pushes in the order they came, then lets the next
    // ones through. Main thread, once the answer has been handled.
    void release(const PushReceiver& receiver);
    // Forgets the held pushes and lets the next ones through (a refused login).
    void drop();
    // Delivers the push now, or holds it. Connection threads.
    void admit(const Request& push, const PushReceiver& receiver);

private:
    void keep(const Request& push);  // with mutex_ held

    std::mutex mutex_;  // guards everything below; never held while delivering
    bool holding_ = false;
    std::deque<Request> held_;
    std::size_t heldBytes_ = 0;
};

}  // namespace tarvendo
