#pragma once

#include <functional>

#include "session/NotificationCenter.h"
#include "support/Waiting.h"

namespace tarvendo::test {

// Runs the Qt event loop until the condition holds or the limit passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = kPatience);
// Runs what the main queue holds now, without waiting for timers.
void runQueuedTasks();
// Posts the way the client server does: on a thread of its own.
void postFromConnectionThread(NotificationCenter& center, Event event, UserInfo userInfo = {});
// Posts that way, then runs what the post queued.
void postAndRun(NotificationCenter& center, Event event, UserInfo userInfo = {});

}  // namespace tarvendo::test
