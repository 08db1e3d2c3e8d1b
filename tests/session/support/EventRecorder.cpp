#include "EventRecorder.h"

namespace tarvendo::support {

EventRecorder::EventRecorder(std::initializer_list<Event> events) {
    for (const Event event : events) {
        observer_.registerEvent(event, [this](const Notification& n) { record(n); });
    }
}

void EventRecorder::record(const Notification& notification) {
    {
        const std::lock_guard lock(mutex_);
        events_.push_back(RecordedEvent{notification, std::this_thread::get_id()});
    }
    arrived_.notify_all();
}

bool EventRecorder::waitUntil(const Condition& condition, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return condition(events_); });
}

bool EventRecorder::waitForCount(std::size_t count, std::chrono::milliseconds timeout) {
    return waitUntil([count](const auto& events) { return events.size() >= count; }, timeout);
}

std::vector<RecordedEvent> EventRecorder::events() {
    const std::lock_guard lock(mutex_);
    return events_;
}

}  // namespace tarvendo::support
