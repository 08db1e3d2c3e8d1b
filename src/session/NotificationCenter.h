#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "session/Event.h"
#include "session/UserInfo.h"

namespace tarvendo {

// A posted event; notifications never carry a sender object.
struct Notification {
    Event name;
    UserInfo userInfo;
};

using NotificationBlock = std::function<void(const Notification&)>;

// Identifies one added observer; opaque to its holder.
struct ObserverToken {
    std::uint64_t id = 0;
    bool operator==(const ObserverToken&) const = default;
};

// Delivers posted events to the observers of their name, synchronously on
// the posting thread. Safe from any thread.
class NotificationCenter {
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    ObserverToken addObserver(Event name, NotificationBlock block);
    // Runs every observer of the name before returning. Observers added
    // meanwhile wait for the next post.
    void post(Event name, UserInfo userInfo = {});
    // Once this returns the block is not running and never runs again, except
    // for the call this thread may be inside of: removing an observer from
    // its own block is allowed. Must not be called while holding a lock that
    // the block takes on another thread.
    void removeObserver(ObserverToken token);

private:
    class Registration;

    std::vector<std::shared_ptr<Registration>> observersOf(Event name);
    std::shared_ptr<Registration> takeOut(ObserverToken token);

    std::mutex mutex_;  // guards the two fields below; never held while a block runs
    std::uint64_t lastId_ = 0;
    std::vector<std::shared_ptr<Registration>> registrations_;
};

}  // namespace tarvendo
