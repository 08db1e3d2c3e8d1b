#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session/MainQueue.h"
#include "session/RunLoop.h"

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

// run() ends only on the stop from another thread, after every task.
TEST_F(RunLoopTest, TasksPostedFromManyThreadsAllRunOnTheLoopThreadUntilAStop) {
    constexpr int kThreads = 4;
    constexpr int kTasksEach = 250;
    const std::thread::id loopThread = std::this_thread::get_id();
    std::atomic<int> ran{0};
    int elsewhere = 0;  // plain: only the loop thread may touch it
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
    std::thread stopper([&] {
        while (ran.load() < kThreads * kTasksEach) {
            std::this_thread::yield();
        }
        loop.stop();
    });
    loop.run();
    stopper.join();
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

class AfterTest : public ::testing::Test {
protected:
    void SetUp() override { setMainQueue(loop); }
    void TearDown() override { setMainQueue(nullptr); }

    bool runUntilSet(const bool& flag) {
        return loop->runUntil([&] { return flag; }, 5s);
    }
    // Runs the loop until a task with the given delay has run.
    void runPast(double delay) {
        bool done = false;
        after(delay, [&] { done = true; });
        ASSERT_TRUE(runUntilSet(done));
    }

    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
};

TEST_F(AfterTest, ZeroDelayNeverRunsInsideTheCallButLaterOnTheLoopThread) {
    bool ranHere = false;
    after(0, [&] { ranHere = true; });
    EXPECT_FALSE(ranHere);
    std::thread::id ranOn;
    bool ranFromElsewhere = false;
    std::thread caller([&] {
        after(0, [&] {
            ranOn = std::this_thread::get_id();
            ranFromElsewhere = true;
        });
    });
    caller.join();
    EXPECT_TRUE(loop->runUntil([&] { return ranHere && ranFromElsewhere; }, 5s));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(AfterTest, RunsNoSoonerThanTheDelayEvenWithTheHandleDropped) {
    const auto called = RunLoop::Clock::now();
    RunLoop::Clock::time_point ranAt;
    bool ran = false;
    {
        const DelayedTask dropped = after(0.1, [&] {
            ranAt = RunLoop::Clock::now();
            ran = true;
        });
    }
    ASSERT_TRUE(runUntilSet(ran));
    EXPECT_GE(ranAt - called, 100ms);
}

TEST_F(AfterTest, CancelledTaskNeverRunsWhetherCancelledAtOnceOrByAnEarlierTask) {
    bool cancelledRan = false;
    bool laterRan = false;
    auto captured = std::make_shared<int>(0);
    DelayedTask cancelled = after(0.01, [&, captured] { cancelledRan = true; });
    EXPECT_EQ(captured.use_count(), 2);
    cancelled.cancel();
    EXPECT_EQ(captured.use_count(), 1) << "cancelling releases the closure at once";
    DelayedTask later = after(0.05, [&] { laterRan = true; });
    after(0, [&] { later.cancel(); });
    runPast(0.1);
    EXPECT_FALSE(cancelledRan);
    EXPECT_FALSE(laterRan);
}

TEST_F(AfterTest, NotANumberAndNegativeDelaysRunSoonInfiniteOnesNever) {
    bool nanRan = false;
    bool negativeRan = false;
    bool infiniteRan = false;
    after(std::numeric_limits<double>::infinity(), [&] { infiniteRan = true; });
    after(std::nan(""), [&] { nanRan = true; });
    after(-5.0, [&] { negativeRan = true; });
    EXPECT_FALSE(nanRan || negativeRan);
    EXPECT_TRUE(loop->runUntil([&] { return nanRan && negativeRan; }, 5s));
    runPast(0.01);
    EXPECT_FALSE(infiniteRan);
}

TEST(DelayFromSeconds, CutsToWholeNanosecondsAndClampsWhatNoClockCouldHold) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const std::pair<double, std::chrono::nanoseconds> table[] = {
        {0.1, 100ms},           {3.0, 3s},          {1.5e-9, 1ns},       {0.0, 0ns},
        {kInfinity, kMaxDelay}, {1e300, kMaxDelay}, {9.3e9, kMaxDelay},  // past int64 nanoseconds
        {-kInfinity, 0ns},      {-0.5, 0ns},        {std::nan(""), 0ns},
    };
    for (const auto& [seconds, delay] : table) {
        EXPECT_EQ(delayFromSeconds(seconds), delay) << seconds;
    }
}

}  // namespace
}  // namespace tarvendo
