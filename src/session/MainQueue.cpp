#include "session/MainQueue.h"

#include <cmath>
#include <mutex>
#include <utility>

#include "session/RunLoop.h"

namespace tarvendo {

namespace {

struct Installed {
    std::mutex mutex;
    std::shared_ptr<MainQueue> queue;  // guarded by mutex
};

// Never destroyed: other threads may still post while the process exits.
Installed& installed() {
    static auto* const instance = new Installed;
    return *instance;
}

}  // namespace

void setMainQueue(std::shared_ptr<MainQueue> queue) {
    const std::lock_guard lock(installed().mutex);
    installed().queue = std::move(queue);
}

std::shared_ptr<MainQueue> mainQueue() {
    Installed& current = installed();
    const std::lock_guard lock(current.mutex);
    if (!current.queue) {
        current.queue = std::make_shared<RunLoop>();
    }
    return current.queue;
}

std::chrono::nanoseconds delayFromSeconds(double seconds) {
    const double nanoseconds = seconds * 1e9;
    if (std::isnan(nanoseconds) || nanoseconds <= 0) {
        return std::chrono::nanoseconds{0};
    }
    if (nanoseconds >= static_cast<double>(kMaxDelay.count())) {
        return kMaxDelay;
    }
    return std::chrono::nanoseconds{static_cast<std::int64_t>(nanoseconds)};
}

void runOnMain(Task task) {
    mainQueue()->async(std::move(task));
}

// The closure until it runs or is cancelled, whichever comes first.
struct DelayedTask::State {
    std::mutex mutex;
    Task closure;  // guarded by mutex

    Task take() {
        const std::lock_guard lock(mutex);
        return std::exchange(closure, nullptr);
    }
};

void DelayedTask::cancel() {
    // The taken closure dies after take() has let go of the lock: its
    // captures' destructors may do anything.
    state_->take();
}

DelayedTask after(double delay, Task closure) {
    auto state = std::make_shared<DelayedTask::State>();
    state->closure = std::move(closure);
    mainQueue()->asyncAfter(delayFromSeconds(delay), [state] {
        if (const Task closure = state->take()) {
            closure();
        }
    });
    return DelayedTask(std::move(state));
}

}  // namespace tarvendo
