#include "session/EventObserver.h"

namespace tarvendo {

EventObserver::~EventObserver() {
    removeObservers();
}

void EventObserver::registerEvent(Event event, NotificationBlock block) {
    const ObserverToken token = center_.addObserver(event, std::move(block));
    const std::lock_guard lock(mutex_);
    observers_.push_back(token);
}

void EventObserver::removeObservers() {
    std::vector<ObserverToken> removed;
    {
        const std::lock_guard lock(mutex_);
        removed.swap(observers_);
    }
    // Removal waits for blocks running elsewhere, which may register again.
    for (const ObserverToken token : removed) {
        center_.removeObserver(token);
    }
}

std::size_t EventObserver::observerCount() {
    const std::lock_guard lock(mutex_);
    return observers_.size();
}

}  // namespace tarvendo
