#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "transport/ByteBuffer.h"
#include "transport/Socket.h"

namespace tarvendo::server {

// The push connection to one player's client server. While the client keeps
// up, a push is written at once by the thread that pushes, without waiting;
// what does not fit goes to a sender thread of its own, which writes all
// that waits in one write: a slow or dead client never holds up anyone else,
// and this player's pushes keep their order.
class PushChannel {
public:
    struct Limits {
        // A push not taken by the client within this time drops the player.
        std::chrono::milliseconds sendTimeout{5'000};
        // Bursts waiting beyond this many mean the client has stopped reading.
        std::size_t maxQueued = 1'024;
        // Bytes the system holds for a client that does not read: pushes are
        // small, and a stalled client should neither pin megabytes nor hide
        // behind a large buffer from the send limit.
        int sendBuffer = 64 * 1024;
    };
    // Called once, on the sender thread, when the connection has failed.
    using FailureHandler = std::function<void()>;

    // A held channel queues pushes but sends none until release().
    PushChannel(std::shared_ptr<Socket> socket, Limits limits, FailureHandler onFailure,
                bool held = false);
    // Closes and waits for the sender; never called on the sender thread.
    ~PushChannel();
    PushChannel(const PushChannel&) = delete;
    PushChannel& operator=(const PushChannel&) = delete;

    // Sends the frames (see appendFrame) or queues them; never waits for the
    // network.
    void push(ByteBuffer frames);
    // Lets a held channel send what it queued, in order.
    void release();
    // Stops the sender without waiting for it; pending pushes are dropped.
    void close();
    // Waits for the sender thread to end; call close() first.
    void join();
    // True once the sender thread has nothing more to do.
    bool finished() const { return finished_.load(); }

private:
    void run();
    // Writes queued pushes until closed; true when the connection failed.
    bool deliverUntilStopped();
    // With mutex_ held: nothing is queued, held or being written.
    bool canWriteHere() const;
    // With mutex_ held: what did not fit.
    ByteBuffer writeWhatFits(const ByteBuffer& frames);

    std::shared_ptr<Socket> socket_;
    const Limits limits_;
    FailureHandler onFailure_;
    std::mutex mutex_;  // guards the fields below up to finished_
    std::condition_variable wake_;
    std::deque<ByteBuffer> queue_;
    bool held_;
    bool sending_ = false;  // the sender is writing what it took from queue_
    bool closing_ = false;
    bool stopped_ = false;  // the connection failed or the client stopped reading
    std::atomic<bool> finished_{false};
    std::thread sender_;  // last: started once everything above is ready
};

}  // namespace tarvendo::server
