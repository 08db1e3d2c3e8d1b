#include "session/PushGate.h"

#include "session/PushedRequests.h"
#include "transport/Diagnostics.h"

namespace tarvendo {

namespace {

std::size_t sizeOf(const Request& push) {
    return sizeof push + (push.data ? push.data->size() : 0) +
           (push.token ? push.token->size() : 0) + (push.query ? push.query->size() : 0);
}

}  // namespace

void PushGate::hold() {
    const std::lock_guard lock(mutex_);
    holding_ = true;
}

void PushGate::release(const PushReceiver& receiver) {
    // Pushes that come meanwhile join the queue, so the order holds across
    // the moment the gate opens.
    while (true) {
        Request next;
        {
            const std::lock_guard lock(mutex_);
            if (held_.empty()) {
                holding_ = false;
                heldBytes_ = 0;
                return;
            }
            next = std::move(held_.front());
            held_.pop_front();
        }
        handlePushedRequest(next, receiver);
    }
}

void PushGate::drop() {
    const std::lock_guard lock(mutex_);
    held_.clear();
    heldBytes_ = 0;
    holding_ = false;
}

void PushGate::admit(const Request& push, const PushReceiver& receiver) {
    {
        const std::lock_guard lock(mutex_);
        if (holding_) {
            keep(push);
            return;
        }
    }
    handlePushedRequest(push, receiver);
}

void PushGate::keep(const Request& push) {
    held_.push_back(push);
    heldBytes_ += sizeOf(push);
    while (held_.size() > kMaxHeldPushes || heldBytes_ > kMaxHeldBytes) {
        heldBytes_ -= sizeOf(held_.front());
        held_.pop_front();
        printLine("Push dropped: too many arrived while logging in");
    }
}

}  // namespace tarvendo
