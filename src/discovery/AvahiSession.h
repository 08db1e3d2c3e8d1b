#pragma once

#include <avahi-client/client.h>
#include <avahi-common/thread-watch.h>

#include <functional>
#include <mutex>
#include <string>

#include "discovery/DiscoveryStatus.h"

namespace tarvendo {

// One Avahi event-loop thread and one client of the Avahi daemon, shared by
// the advertiser and the browser.
//
// Locking: every Avahi object made from the client, and every field an owner
// touches from its Avahi callbacks, is guarded by the event loop's lock.
// Avahi calls back on the loop thread with that lock held; each callback of an
// owner opens a CallbackScope first so that stop() and withLock() called from
// inside it know the lock is already theirs.
//
// The client is created with AVAHI_CLIENT_NO_FAIL: when the daemon is missing
// or goes away, the session waits for it and the owner is told RUNNING again
// once it is back, so publications and browses survive daemon restarts.
class AvahiSession {
public:
    // Told of every client state change, on the loop thread. On
    // AVAHI_CLIENT_FAILURE the client is about to be freed, and with it every
    // object made from it: forget them. A failing status is reported.
    using StateHandler = std::function<DiscoveryStatus(AvahiClient*, AvahiClientState)>;
    // One line about something that went wrong after start(), on the loop thread.
    using ProblemHandler = std::function<void(const std::string&)>;

    AvahiSession(StateHandler onState, ProblemHandler onProblem);
    ~AvahiSession();  // never from inside a callback
    AvahiSession(const AvahiSession&) = delete;
    AvahiSession& operator=(const AvahiSession&) = delete;

    // Connects and starts the loop thread; once per session. Not ok when the
    // daemon cannot be reached; while the bus is there but the daemon is not,
    // the session keeps waiting for it in the background.
    DiscoveryStatus start();

    // Runs dropObjects under the lock once, then ends the session: no state
    // change is reported afterwards. From any thread, any number of times,
    // also from inside a callback. Called outside a callback, it returns only
    // when the loop thread has ended, so no callback runs after it.
    void stop(const std::function<void()>& dropObjects = {});

    // True once stop() has begun; read under the lock (callbacks use it to
    // ignore late events).
    bool stopping() const { return stopping_; }

    // Runs f with the loop's lock held, taking it unless this thread holds it.
    void withLock(const std::function<void()>& f) const;

    // Marks the running callback of this session, whose thread holds the lock.
    class CallbackScope {
    public:
        explicit CallbackScope(const AvahiSession& session);
        ~CallbackScope();
        CallbackScope(const CallbackScope&) = delete;
        CallbackScope& operator=(const CallbackScope&) = delete;

    private:
        const AvahiSession* previous_;
    };

private:
    bool holdsLock() const;
    DiscoveryStatus connectLocked();
    void reconnectLocked(AvahiClient* failed);
    void report(const DiscoveryStatus& status);
    void joinLoop();
    static void clientChanged(AvahiClient* client, AvahiClientState state, void* self);

    StateHandler onState_;
    ProblemHandler onProblem_;
    AvahiThreadedPoll* poll_;  // null when it could not be created

    // Guarded by the loop's lock.
    AvahiClient* client_ = nullptr;
    bool stopping_ = false;
    bool connecting_ = false;        // inside avahi_client_new()
    DiscoveryStatus connectStatus_;  // what the owner said while connecting

    // Orders start() against stopping from outside the loop thread.
    std::mutex lifecycle_;
    bool started_ = false;      // guarded by lifecycle_
    bool loopRunning_ = false;  // guarded by lifecycle_
};

}  // namespace tarvendo
