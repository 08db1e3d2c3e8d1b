#include "server/PushChannel.h"

#include <sys/socket.h>

#include "transport/Frame.h"

namespace tarvendo::server {

PushChannel::PushChannel(std::shared_ptr<Socket> socket, Limits limits, FailureHandler onFailure)
    : socket_(std::move(socket)), limits_(limits), onFailure_(std::move(onFailure)) {
    socket_->setTimeouts(std::chrono::milliseconds{0}, limits_.sendTimeout);
    ::setsockopt(socket_->descriptor(), SOL_SOCKET, SO_SNDBUF, &limits_.sendBuffer,
                 sizeof limits_.sendBuffer);
    sender_ = std::thread([this] { run(); });
}

PushChannel::~PushChannel() {
    close();
    join();
}

void PushChannel::push(ByteBuffer payload) {
    bool overflowed = false;
    {
        const std::lock_guard lock(mutex_);
        if (closing_ || overflowed_) {
            return;
        }
        overflowed = overflowed_ = queue_.size() >= limits_.maxQueued;
        if (!overflowed) {
            queue_.push_back(std::move(payload));
        }
    }
    wake_.notify_one();
    if (overflowed) {
        socket_->shutdown();  // wakes a sender stuck in a write to this client
    }
}

void PushChannel::close() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    socket_->shutdown();
}

void PushChannel::join() {
    if (sender_.joinable()) {
        sender_.join();
    }
}

void PushChannel::run() {
    if (deliverUntilStopped()) {
        onFailure_();
    }
    finished_.store(true);
}

bool PushChannel::deliverUntilStopped() {
    while (true) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return closing_ || overflowed_ || !queue_.empty(); });
        if (closing_ || overflowed_) {
            return !closing_;
        }
        const ByteBuffer payload = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        if (!writeFrame(*socket_, payload)) {
            return !isClosing();
        }
    }
}

bool PushChannel::isClosing() {
    const std::lock_guard lock(mutex_);
    return closing_;
}

}  // namespace tarvendo::server
