#include "discovery/AvahiSession.h"

#include <avahi-common/error.h>

#include <utility>

namespace tarvendo {

namespace {

// The session whose loop lock this thread holds, if any: the lock is not
// recursive, and Avahi calls back with it held.
thread_local const AvahiSession* lockHolder = nullptr;

std::string avahiError(int error) {
    return avahi_strerror(error);
}

class PollLock {
public:
    explicit PollLock(AvahiThreadedPoll* poll) : poll_(poll) { avahi_threaded_poll_lock(poll_); }
    ~PollLock() { avahi_threaded_poll_unlock(poll_); }
    PollLock(const PollLock&) = delete;
    PollLock& operator=(const PollLock&) = delete;

private:
    AvahiThreadedPoll* poll_;
};

}  // namespace

AvahiSession::CallbackScope::CallbackScope(const AvahiSession& session) : previous_(lockHolder) {
    lockHolder = &session;
}

AvahiSession::CallbackScope::~CallbackScope() {
    lockHolder = previous_;
}

AvahiSession::AvahiSession(StateHandler onState, ProblemHandler onProblem)
    : onState_(std::move(onState)),
      onProblem_(std::move(onProblem)),
      poll_(avahi_threaded_poll_new()) {}

AvahiSession::~AvahiSession() {
    stop();
    // The loop thread has ended; nothing else can touch the client now.
    if (client_ != nullptr) {
        avahi_client_free(client_);
    }
    if (poll_ != nullptr) {
        avahi_threaded_poll_free(poll_);
    }
}

DiscoveryStatus AvahiSession::start() {
    std::lock_guard guard(lifecycle_);
    if (started_) {
        return DiscoveryStatus::failure("DNS-SD: already started");
    }
    started_ = true;
    if (poll_ == nullptr) {
        return DiscoveryStatus::failure("DNS-SD: cannot create the Avahi event loop");
    }
    DiscoveryStatus status;
    bool connected = false;
    withLock([&] {
        status = stopping_ ? DiscoveryStatus::failure("DNS-SD: stopped before it started")
                           : connectLocked();
        connected = client_ != nullptr;
    });
    if (!connected) {
        return status;
    }
    if (avahi_threaded_poll_start(poll_) < 0) {
        return DiscoveryStatus::failure("DNS-SD: cannot start the Avahi event loop");
    }
    loopRunning_ = true;
    return status;
}

void AvahiSession::stop(const std::function<void()>& dropObjects) {
    auto stopLocked = [&] {
        if (stopping_) {
            return;
        }
        stopping_ = true;
        if (dropObjects) {
            dropObjects();
        }
    };
    if (holdsLock()) {
        // Inside a callback the loop thread cannot be joined; the destructor
        // or a later stop() from outside does that.
        stopLocked();
        return;
    }
    std::lock_guard guard(lifecycle_);
    withLock(stopLocked);
    joinLoop();
}

void AvahiSession::withLock(const std::function<void()>& f) const {
    if (holdsLock() || poll_ == nullptr) {
        f();
        return;
    }
    PollLock lock(poll_);
    CallbackScope scope(*this);
    f();
}

bool AvahiSession::holdsLock() const {
    return lockHolder == this;
}

void AvahiSession::joinLoop() {
    if (loopRunning_) {
        avahi_threaded_poll_stop(poll_);
        loopRunning_ = false;
    }
}

DiscoveryStatus AvahiSession::connectLocked() {
    int error = 0;
    connecting_ = true;
    connectStatus_ = {};
    AvahiClient* client = avahi_client_new(avahi_threaded_poll_get(poll_), AVAHI_CLIENT_NO_FAIL,
                                           &AvahiSession::clientChanged, this, &error);
    connecting_ = false;
    if (client == nullptr) {
        return DiscoveryStatus::failure("DNS-SD unavailable: cannot reach the Avahi daemon (" +
                                        avahiError(error) + ")");
    }
    const AvahiClientState state = avahi_client_get_state(client);
    if (state == AVAHI_CLIENT_FAILURE) {
        error = avahi_client_errno(client);
        avahi_client_free(client);
        return DiscoveryStatus::failure("DNS-SD unavailable: " + avahiError(error));
    }
    client_ = client;
    if (state == AVAHI_CLIENT_CONNECTING) {
        return DiscoveryStatus::failure("DNS-SD: the Avahi daemon is not running; waiting for it");
    }
    return connectStatus_;
}

void AvahiSession::reconnectLocked(AvahiClient* failed) {
    const int error = avahi_client_errno(failed);
    avahi_client_free(failed);
    client_ = nullptr;
    if (error != AVAHI_ERR_DISCONNECTED) {
        report(DiscoveryStatus::failure("DNS-SD failed: " + avahiError(error)));
        return;
    }
    // The daemon went away (a restart, most likely): wait for it to return.
    report(connectLocked());
}

void AvahiSession::report(const DiscoveryStatus& status) {
    if (!status.ok && onProblem_) {
        onProblem_(status.message);
    }
}

void AvahiSession::clientChanged(AvahiClient* client, AvahiClientState state, void* self) {
    auto& session = *static_cast<AvahiSession*>(self);
    CallbackScope scope(session);
    if (session.stopping_) {
        return;
    }
    const DiscoveryStatus status = session.onState_(client, state);
    if (session.connecting_) {
        // avahi_client_new() is still running: its caller reports.
        if (session.connectStatus_.ok) {
            session.connectStatus_ = status;
        }
        return;
    }
    session.report(status);
    if (state == AVAHI_CLIENT_FAILURE && !session.stopping_) {
        session.reconnectLocked(client);
    }
}

}  // namespace tarvendo
