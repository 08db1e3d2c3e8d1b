#pragma once

#include <initializer_list>
#include <thread>

#include "session/EventObserver.h"
#include "support/Waiting.h"

namespace tarvendo::test {

struct RecordedEvent {
    Notification notification;
    std::thread::id thread;  // the thread the observer ran on
};

// Observes the events on a centre and keeps every delivery, from whichever
// thread it came.
class EventRecorder {
public:
    EventRecorder(NotificationCenter& center, std::initializer_list<Event> names)
        : observer_(center) {
        for (const Event name : names) {
            observer_.registerEvent(name, [this](const Notification& posted) {
                events.push(RecordedEvent{posted, std::this_thread::get_id()});
            });
        }
    }

    Waitable<RecordedEvent> events;

private:
    EventObserver observer_;  // last: removed before the events its blocks keep
};

}  // namespace tarvendo::test
