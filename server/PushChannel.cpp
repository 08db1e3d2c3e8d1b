#include "server/PushChannel.h"

#include <sys/socket.h>

namespace tarvendo::server {

PushChannel::PushChannel(std::shared_ptr<Socket> socket, Limits limits, FailureHandler onFailure,
                         bool held)
    : socket_(std::move(socket)), limits_(limits), onFailure_(std::move(onFailure)), held_(held) {
    socket_->setTimeouts(std::chrono::milliseconds{0}, limits_.sendTimeout);
    ::setsockopt(socket_->descriptor(), SOL_SOCKET, SO_SNDBUF, &limits_.sendBuffer,
                 sizeof limits_.sendBuffer);
    sender_ = std::thread([this] { run(); });
}

PushChannel::~PushChannel() {
    close();
    join();
}

void PushChannel::push(ByteBuffer frames) {
    bool overflowed = false;
    {
        const std::lock_guard lock(mutex_);
        if (closing_ || stopped_) {
            return;
        }
        if (canWriteHere()) {
            frames = writeWhatFits(frames);
            if (frames.empty() || stopped_) {
                return;
            }
        }
        overflowed = queue_.size() >= limits_.maxQueued;
        stopped_ = overflowed;
        if (!overflowed) {
            queue_.push_back(std::move(frames));
        }
    }
    wake_.notify_one();
    if (overflowed) {
        socket_->shutdown();  // wakes a sender stuck in a write to this client
    }
}

bool PushChannel::canWriteHere() const {
    return !held_ && !sending_ && queue_.empty();
}

ByteBuffer PushChannel::writeWhatFits(const ByteBuffer& frames) {
    const std::int64_t sent = socket_->tryWrite(frames.data(), frames.size());
    if (sent < 0) {
        stopped_ = true;  // the sender reports the failure, outside the caller's locks
        wake_.notify_one();
        return {};
    }
    const auto count = static_cast<std::size_t>(sent);
    return {frames.data() + count, frames.size() - count};
}

void PushChannel::release() {
    {
        const std::lock_guard lock(mutex_);
        held_ = false;
    }
    wake_.notify_one();
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
        wake_.wait(lock, [this] { return closing_ || stopped_ || (!held_ && !queue_.empty()); });
        if (closing_ || stopped_) {
            return !closing_;
        }
        // Everything waiting goes out in one write.
        ByteBuffer frames;
        for (const ByteBuffer& waiting : queue_) {
            frames.append(waiting.data(), waiting.size());
        }
        queue_.clear();
        sending_ = true;
        lock.unlock();
        const bool written = socket_->writeData(frames);
        lock.lock();
        sending_ = false;
        if (!written) {
            return !closing_;
        }
    }
}

}  // namespace tarvendo::server
