#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "session/NotificationCenter.h"

namespace tarvendo {

// The observers of one adopter on its centre, removed when it is
// destroyed. A base class's destructor runs after the adopter's own members
// are gone, so an adopter whose blocks use its members either calls
// removeObservers() first in its destructor or holds an EventObserver as its
// last member instead of deriving from it.
class EventObserver {
public:
    explicit EventObserver(NotificationCenter& center) : center_(center) {}
    ~EventObserver();
    EventObserver(const EventObserver&) = delete;
    EventObserver& operator=(const EventObserver&) = delete;

    // No check for duplicates: registering twice runs the block twice a post.
    void registerEvent(Event event, NotificationBlock block);
    // On return none of the blocks runs any more (see removeObserver).
    void removeObservers();
    std::size_t observerCount();

    NotificationCenter& center() const { return center_; }

private:
    NotificationCenter& center_;
    std::mutex mutex_;  // guards observers_; never held while removing
    std::vector<ObserverToken> observers_;
};

}  // namespace tarvendo
