#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RunLoop.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

class RunLoopTest : public ::testing::Test {
protected:
    // Posts a task that appends the label to the log (touched on the loop
    // thread only).
    Task appending(std::string label) {
        return [this, label = std::move(label)] {
            log.push_back(label);
        };
    }
    bool runUntilLogged(std::size_t count) {
        return loop.runUntil([&] { return log.size() >= count; }, 5s);
    }

    RunLoop loop;
    std::vector<std::string> log;
};

TEST_F(RunLoopTest, TasksPostedFromManyThreadsAllRunOnTheLoopThread) {
    constexpr int kThreads = 4;
    constexpr int kTasksEach = 250;
    const std::thread::id loopThread = std::this_thread::get_id();
    int ran = 0;  // plain: only the loop thread may touch it
    int elsewhere = 0;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < kTasksEach; ++i) {
                loop.async([&] {
                    ++ran;
                    elsewhere += std::this_thread::get_id() == loopThread ? 0 : 1;
                });
            }
        });
    }
    EXPECT_TRUE(loop.runUntil([&] { return ran == kThreads * kTasksEach; }, 10s));
    for (std::thread& poster : posters) {
        poster.join();
    }
    EXPECT_EQ(elsewhere, 0);
}

// Due tasks run by deadline, then in posting order; a task posted by a task
// runs after it, not inside.
TEST_F(RunLoopTest, TasksRunByDeadlineThenInPostingOrder) {
    loop.asyncAfter(400ms, appending("late"));
    loop.async([&] {
        loop.async(appending("inner"));
        log.push_back("a");
    });
    for (const char* label : {"b", "c"}) {
        loop.async(appending(label));
    }
    ASSERT_TRUE(runUntilLogged(5));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "inner", "late"}));
}

TEST_F(RunLoopTest, RunUntilGivesUpAtTheTimeOut) {
    loop.asyncAfter(1h, appending("never"));
    const auto started = RunLoop::Clock::now();
    EXPECT_FALSE(loop.runUntil([] { return false; }, 50ms));
    EXPECT_GE(RunLoop::Clock::now() - started, 50ms);
    EXPECT_TRUE(log.empty());
}

TEST_F(RunLoopTest, StopFromAnotherThreadEndsRun) {
    std::atomic<bool> running{false};
    loop.async([&] { running = true; });
    std::thread stopper([&] {
        while (!running.load()) {
            std::this_thread::yield();
        }
        loop.stop();
    });
    loop.run();
    stopper.join();
    EXPECT_TRUE(running.load());
}

// A stop ends the run going on, or else the next one, and keeps the tasks left.
TEST_F(RunLoopTest, StopEndsOneRunAndKeepsTheRest) {
    loop.stop();
    loop.async([&] {
        loop.stop();
        log.push_back("stopping");
    });
    loop.async(appending("after stop"));
    loop.run();
    EXPECT_TRUE(log.empty()) << "stopped before it began";
    loop.run();
    EXPECT_EQ(log, (std::vector<std::string>{"stopping"}));
    ASSERT_TRUE(runUntilLogged(2));
    EXPECT_EQ(log.back(), "after stop");
}

}  // namespace
}  // namespace tarvendo
