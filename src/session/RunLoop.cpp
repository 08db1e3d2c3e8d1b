#include "session/RunLoop.h"

#include <algorithm>
#include <utility>

namespace tarvendo {

namespace {

constexpr RunLoop::Clock::time_point kNoEnd = RunLoop::Clock::time_point::max();

}  // namespace

void RunLoop::async(Task task) {
    schedule(Clock::now(), std::move(task));
}

void RunLoop::asyncAfter(std::chrono::nanoseconds delay, Task task) {
    schedule(Clock::now() + std::clamp(delay, std::chrono::nanoseconds{0}, kMaxDelay),
             std::move(task));
}

void RunLoop::schedule(Clock::time_point deadline, Task task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push(Entry{deadline, nextSequence_++, std::move(task)});
    }
    changed_.notify_all();
}

void RunLoop::run() {
    runTasks([] { return false; }, kNoEnd);
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    return runTasks(predicate, Clock::now() + timeout);
}

void RunLoop::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    changed_.notify_all();
}

bool RunLoop::runTasks(const std::function<bool()>& predicate, Clock::time_point end) {
    while (!predicate()) {
        Task task;
        if (!takeNextTask(end, task)) {
            return false;
        }
        task();
    }
    return true;
}

bool RunLoop::takeNextTask(Clock::time_point end, Task& task) {
    std::unique_lock lock(mutex_);
    while (!std::exchange(stopRequested_, false)) {
        const Clock::time_point now = Clock::now();
        if (!tasks_.empty() && tasks_.top().deadline <= now) {
            // top() is const, but the entry is popped at once and its order
            // does not depend on the task.
            task = std::move(const_cast<Entry&>(tasks_.top()).task);
            tasks_.pop();
            return true;
        }
        if (now >= end) {
            return false;
        }
        waitForChange(lock, end);
    }
    return false;
}

void RunLoop::waitForChange(std::unique_lock<std::mutex>& lock, Clock::time_point end) {
    const Clock::time_point wake = tasks_.empty() ? end : std::min(end, tasks_.top().deadline);
    if (wake == kNoEnd) {
        changed_.wait(lock);  // a deadline at the clock's end would overflow the wait
    } else {
        changed_.wait_until(lock, wake);
    }
}

}  // namespace tarvendo
