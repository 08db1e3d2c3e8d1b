#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tarvendo {

using Task = std::function<void()>;

// "The main thread" as the core sees it. The client installs a Qt backend, the
// server, the bot and the tests a RunLoop. Every operation is safe from any
// thread and never runs the task inside the call.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    // Runs the task on the main thread soon, after the tasks already due.
    virtual void async(Task task) = 0;
    // Runs the task on the main thread once the delay has passed. The delay
    // is never negative and never over kMaxDelay.
    virtual void asyncAfter(std::chrono::nanoseconds delay, Task task) = 0;
};

// Longer than any process lives, yet far from overflowing a clock's deadline.
inline constexpr std::chrono::nanoseconds kMaxDelay = std::chrono::hours(24 * 365 * 100);

// Installs the backend every later post goes to; nullptr goes back to the
// default. Install it before anything posts: tasks already queued stay where
// they were.
void setMainQueue(std::shared_ptr<MainQueue> queue);
// The installed backend; a RunLoop that nobody runs until one is installed.
std::shared_ptr<MainQueue> mainQueue();

// Seconds cut to whole nanoseconds. Not a number and negative delays mean no
// delay; infinite and oversized ones are clamped to kMaxDelay.
std::chrono::nanoseconds delayFromSeconds(double seconds);

// Runs the task on the main thread soon.
void runOnMain(Task task);

// A task submitted with after(). Dropping the handle leaves the task pending.
class DelayedTask {
public:
    struct State;
    explicit DelayedTask(std::shared_ptr<State> state) : state_(std::move(state)) {}
    // Keeps the task from starting and releases it. A task already running
    // on the main thread finishes; cancelling it then, or later, is harmless.
    void cancel();

private:
    std::shared_ptr<State> state_;
};

// Runs the closure on the main thread once delay seconds have passed, never
// inside this call, even with a delay of zero.
DelayedTask after(double delay, Task closure);

}  // namespace tarvendo
