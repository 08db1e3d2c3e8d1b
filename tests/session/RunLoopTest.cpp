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

TEST_F(RunLoopTest, TasksDueTogetherRunInPostingOrder) {
    for (const char* label : {"a", "b", "c", "d"}) {
        loop.async(appending(label));
    }
    ASSERT_TRUE(runUntilLogged(4));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(RunLoopTest, EarlierDeadlineRunsFirstWhateverThePostingOrder) {
    loop.asyncAfter(400ms, appending("late"));
    loop.asyncAfter(0ms, appending("soon"));
    ASSERT_TRUE(runUntilLogged(2));
    EXPECT_EQ(log, (std::vector<std::string>{"soon", "late"}));
}

TEST_F(RunLoopTest, TaskPostedByATaskRunsAfterItNotInside) {
    loop.async([&] {
        loop.async(appending("inner"));
        log.push_back("outer done");
    });
    ASSERT_TRUE(runUntilLogged(2));
    EXPECT_EQ(log, (std::vector<std::string>{"outer done", "inner"}));
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

TEST_F(RunLoopTest, StopInsideATaskReturnsAfterThatTaskAndKeepsTheRest) {
    loop.async([&] {
        loop.stop();
        log.push_back("stopping");
    });
    loop.async(appending("after stop"));
    loop.run();
    EXPECT_EQ(log, (std::vector<std::string>{"stopping"}));
    ASSERT_TRUE(runUntilLogged(2));
    EXPECT_EQ(log.back(), "after stop");
}

TEST_F(RunLoopTest, StopBeforeRunEndsTheNextRunOnly) {
    loop.stop();
    loop.run();
    loop.async(appending("second run"));
    EXPECT_TRUE(runUntilLogged(1));
}

}  // namespace
}  // namespace tarvendo
