#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "session/MainQueue.h"
#include "support/Waiting.h"

namespace tarvendo::test {

// What every main-queue backend promises. A backend's tests instantiate it
// with a traits type that has
//   static std::shared_ptr<Backend> make();
//   static bool runUntil(Backend&, const std::function<bool()>& condition,
//                        std::chrono::milliseconds limit);
// where runUntil runs the backend's loop on the calling thread until the
// condition holds (true) or the limit passes (false).
template <typename Traits>
class MainQueueContract : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;

    // Logs the label and whether it ran on the loop's thread.
    Task logging(std::string label) {
        return [this, label = std::move(label)] {
            onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
            log.push_back(label);
        };
    }
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        return Traits::runUntil(*queue, condition, limit);
    }

    decltype(Traits::make()) queue = Traits::make();
    const std::thread::id loopThread = std::this_thread::get_id();
    std::vector<std::string> log;  // written by tasks, read between runs
    bool onLoopThread = true;
};

TYPED_TEST_SUITE_P(MainQueueContract);

// Never inside the post and always on the loop's thread; due tasks in posting
// order (one posted by a task after it), delayed ones no sooner than their
// delay, and the longest delay never ends.
TYPED_TEST_P(MainQueueContract, RunsTasksOnItsThreadByDeadlineThenInPostingOrder) {
    using namespace std::chrono_literals;
    MainQueue& queue = *this->queue;
    const auto posted = TestFixture::Clock::now();
    queue.asyncAfter(kMaxDelay, this->logging("never"));
    queue.asyncAfter(200ms, [this, posted, late = this->logging("late")] {
        late();
        EXPECT_GE(TestFixture::Clock::now() - posted, 200ms);
    });
    queue.async([this, &queue] {
        queue.async(this->logging("inner"));
        this->log.push_back("a");
    });
    std::atomic<int> counted{0};
    const auto postCounted = [&] {
        for (int i = 0; i < 200; ++i) {
            queue.async([&counted] { ++counted; });
        }
    };
    std::thread counter(postCounted);
    std::thread other([&] {
        queue.async(this->logging("b"));
        queue.async(this->logging("c"));
        postCounted();
    });
    counter.join();
    other.join();
    EXPECT_TRUE(this->log.empty());
    ASSERT_TRUE(this->runUntil([this] { return this->log.size() == 5; }, kPatience));
    EXPECT_EQ(this->log, (std::vector<std::string>{"a", "b", "c", "inner", "late"}));
    EXPECT_EQ(counted.load(), 400);
    EXPECT_TRUE(this->onLoopThread);
    EXPECT_FALSE(this->runUntil([this] { return this->log.size() > 5; }, 50ms));
}

REGISTER_TYPED_TEST_SUITE_P(MainQueueContract, RunsTasksOnItsThreadByDeadlineThenInPostingOrder);

}  // namespace tarvendo::test
