#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <thread>

#include "MainQueue.h"
#include "RunLoop.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

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

TEST_F(AfterTest, ZeroDelayNeverRunsInsideTheCallButLaterOnTheLoop) {
    bool ran = false;
    after(0, [&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(runUntilSet(ran));
}

TEST_F(AfterTest, RunsNoSoonerThanTheDelay) {
    const auto called = RunLoop::Clock::now();
    RunLoop::Clock::time_point ranAt;
    bool ran = false;
    after(0.1, [&] {
        ranAt = RunLoop::Clock::now();
        ran = true;
    });
    ASSERT_TRUE(runUntilSet(ran));
    EXPECT_GE(ranAt - called, 100ms);
}

TEST_F(AfterTest, CalledOnAnotherThreadRunsOnTheLoopThread) {
    std::thread::id ranOn;
    bool ran = false;
    std::thread caller([&] {
        after(0, [&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
    });
    caller.join();
    ASSERT_TRUE(runUntilSet(ran));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(AfterTest, DroppedHandleLeavesTheTaskPending) {
    bool ran = false;
    {
        const DelayedTask ignored = after(0.01, [&] { ran = true; });
    }
    EXPECT_TRUE(runUntilSet(ran));
}

TEST_F(AfterTest, CancelledTaskNeverRunsWhileLaterOnesDo) {
    bool ran = false;
    DelayedTask task = after(0.01, [&] { ran = true; });
    task.cancel();
    runPast(0.05);
    EXPECT_FALSE(ran);
}

TEST_F(AfterTest, CancelReleasesTheClosureAtOnce) {
    auto captured = std::make_shared<int>(0);
    DelayedTask task = after(3.0, [captured] {});
    EXPECT_EQ(captured.use_count(), 2);
    task.cancel();
    EXPECT_EQ(captured.use_count(), 1);
}

TEST_F(AfterTest, CancelFromAnEarlierTaskStopsALaterOne) {
    bool laterRan = false;
    DelayedTask later = after(0.05, [&] { laterRan = true; });
    after(0, [&] { later.cancel(); });
    runPast(0.1);
    EXPECT_FALSE(laterRan);
}

TEST_F(AfterTest, InfiniteDelayNeverComesDueAndBlocksNothing) {
    bool ran = false;
    after(std::numeric_limits<double>::infinity(), [&] { ran = true; });
    runPast(0.01);
    EXPECT_FALSE(ran);
}

TEST_F(AfterTest, NotANumberAndNegativeDelaysRunSoon) {
    bool nanRan = false;
    bool negativeRan = false;
    after(std::nan(""), [&] { nanRan = true; });
    after(-5.0, [&] { negativeRan = true; });
    EXPECT_FALSE(nanRan || negativeRan);
    EXPECT_TRUE(loop->runUntil([&] { return nanRan && negativeRan; }, 5s));
}

TEST(DelayFromSeconds, CutsToWholeNanoseconds) {
    EXPECT_EQ(delayFromSeconds(0.1), 100ms);
    EXPECT_EQ(delayFromSeconds(3.0), 3s);
    EXPECT_EQ(delayFromSeconds(1.5e-9), 1ns);
    EXPECT_EQ(delayFromSeconds(0.0), 0ns);
}

TEST(DelayFromSeconds, ClampsWhatNoClockCouldHold) {
    EXPECT_EQ(delayFromSeconds(std::numeric_limits<double>::infinity()), kMaxDelay);
    EXPECT_EQ(delayFromSeconds(1e300), kMaxDelay);
    EXPECT_EQ(delayFromSeconds(9.3e9), kMaxDelay);  // past a signed 64-bit nanosecond count
    EXPECT_EQ(delayFromSeconds(-std::numeric_limits<double>::infinity()), 0ns);
    EXPECT_EQ(delayFromSeconds(-0.5), 0ns);
    EXPECT_EQ(delayFromSeconds(std::nan("")), 0ns);
}

}  // namespace
}  // namespace tarvendo
