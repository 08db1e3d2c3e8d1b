#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <vector>

#include "session/MainQueue.h"

namespace tarvendo {

// A main queue for programs without a toolkit: the thread that calls run()
// is the main thread. Posting is safe from any thread.
class RunLoop : public MainQueue {
public:
    using Clock = std::chrono::steady_clock;

    void async(Task task) override;
    void asyncAfter(std::chrono::nanoseconds delay, Task task) override;

    // Runs due tasks until stop().
    void run();
    // Runs due tasks until the predicate holds, stop() or the time-out;
    // true when the predicate holds. The predicate is checked on this
    // thread, before the first task and after each one.
    bool runUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);
    // Ends the current run, or the next one if none is running, once the
    // task in hand has finished.
    void stop();

private:
    struct Entry {
        Clock::time_point deadline;
        std::uint64_t sequence;  // keeps tasks with one deadline in posting order
        Task task;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const {
            return a.deadline != b.deadline ? a.deadline > b.deadline : a.sequence > b.sequence;
        }
    };
    void schedule(Clock::time_point deadline, Task task);
    // True when the predicate came to hold before stop() or the end.
    bool runTasks(const std::function<bool()>& predicate, Clock::time_point end);
    // Blocks until a task is due (true, the task handed out), stop() or the end.
    bool takeNextTask(Clock::time_point end, Task& task);
    void waitForChange(std::unique_lock<std::mutex>& lock, Clock::time_point end);

    std::mutex mutex_;  // guards everything below
    std::condition_variable changed_;
    std::priority_queue<Entry, std::vector<Entry>, Later> tasks_;
    std::uint64_t nextSequence_ = 0;
    bool stopRequested_ = false;
};

}  // namespace tarvendo
