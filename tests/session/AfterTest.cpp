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
    DelayedTask cancelled = after(0.01, [&] { cancelledRan = true; });
    cancelled.cancel();
    DelayedTask later = after(0.05, [&] { laterRan = true; });
    after(0, [&] { later.cancel(); });
    runPast(0.1);
    EXPECT_FALSE(cancelledRan);
    EXPECT_FALSE(laterRan);
}

TEST_F(AfterTest, CancelReleasesTheClosureAtOnce) {
    auto captured = std::make_shared<int>(0);
    DelayedTask task = after(3.0, [captured] {});
    EXPECT_EQ(captured.use_count(), 2);
    task.cancel();
    EXPECT_EQ(captured.use_count(), 1);
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
