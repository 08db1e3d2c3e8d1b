#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "session/EventObserver.h"

namespace tarvendo::support {

struct RecordedEvent {
    Notification notification;
    std::thread::id thread;  // the thread the observer ran on
};

// Observes the given events on the default centre and keeps every delivery,
// from whichever thread it came.
class EventRecorder {
public:
    using Condition = std::function<bool(const std::vector<RecordedEvent>&)>;

    explicit EventRecorder(std::initializer_list<Event> events) {
        for (const Event event : events) {
            observer_.registerEvent(event, [this](const Notification& n) { record(n); });
        }
    }

    // False when the events kept so far do not meet the condition within five seconds.
    bool waitUntil(const Condition& condition) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return condition(events_); });
    }
    bool waitForCount(std::size_t count) {
        return waitUntil([count](const auto& events) { return events.size() >= count; });
    }
    std::vector<RecordedEvent> events() {
        const std::lock_guard lock(mutex_);
        return events_;
    }

private:
    void record(const Notification& notification) {
        {
            const std::lock_guard lock(mutex_);
            events_.push_back(RecordedEvent{notification, std::this_thread::get_id()});
        }
        arrived_.notify_all();
    }

    std::mutex mutex_;  // guards events_
    std::condition_variable arrived_;
    std::vector<RecordedEvent> events_;
    EventObserver observer_;  // last: removed before the fields its blocks use
};

}  // namespace tarvendo::support
