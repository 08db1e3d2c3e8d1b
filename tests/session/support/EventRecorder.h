#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "EventObserver.h"

namespace tarvendo::support {

struct RecordedEvent {
    Notification notification;
    std::thread::id thread;  // the thread the observer ran on
};

// Observes the given events on the default centre and keeps every delivery,
// from whichever thread it came.
class EventRecorder {
public:
    explicit EventRecorder(std::initializer_list<Event> events);

    using Condition = std::function<bool(const std::vector<RecordedEvent>&)>;

    // False when the events kept so far do not meet the condition within the time-out.
    bool waitUntil(const Condition& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool waitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
    std::vector<RecordedEvent> events();

private:
    void record(const Notification& notification);

    std::mutex mutex_;  // guards events_
    std::condition_variable arrived_;
    std::vector<RecordedEvent> events_;
    EventObserver observer_;  // last: removed before the fields its blocks use
};

}  // namespace tarvendo::support
