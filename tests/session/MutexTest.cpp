#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <thread>

#include "Mutex.h"
#include "StdoutCapture.h"

namespace tarvendo {
namespace {

class MutexTest : public ::testing::Test {
protected:
    // Runs sync on another thread, so a lock left held shows as a hang
    // instead of this thread waiting on itself.
    bool syncOnAnotherThread() {
        bool ran = false;
        std::thread other([&] { mutex.sync([&] { ran = true; }); });
        other.join();
        return ran;
    }

    Mutex mutex{"Test"};
};

TEST_F(MutexTest, ContendingThreadsNeverOverlapAndLoseNoIncrement) {
    constexpr int kRounds = 20000;
    int counter = 0;  // deliberately plain: only the mutex keeps the threads apart
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    const auto work = [&] {
        for (int i = 0; i < kRounds; ++i) {
            mutex.sync([&] {
                overlapped = overlapped || inside.fetch_add(1) != 0;
                ++counter;
                inside.fetch_sub(1);
            });
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    EXPECT_FALSE(overlapped.load());
    EXPECT_EQ(counter, 2 * kRounds);
}

TEST_F(MutexTest, ReturningCallbackLeavesTheMutexFree) {
    mutex.sync([] {});
    EXPECT_TRUE(syncOnAnotherThread());
}

TEST_F(MutexTest, ThrowingCallbackStillUnlocks) {
    EXPECT_THROW(mutex.sync([] { throw std::runtime_error("callback failed"); }),
                 std::runtime_error);
    EXPECT_TRUE(syncOnAnotherThread());
}

// Stand-ins for the lock calls; the counter tells whether unlock was tried.
std::atomic<int> unlockCalls{0};

int refuseToLock(pthread_mutex_t*) {
    return EINVAL;
}

int countedUnlock(pthread_mutex_t* mutex) {
    ++unlockCalls;
    return pthread_mutex_unlock(mutex);
}

int unlockButReportFailure(pthread_mutex_t* mutex) {
    pthread_mutex_unlock(mutex);
    return EPERM;
}

class MutexFailureTest : public ::testing::Test {
protected:
    void SetUp() override { unlockCalls = 0; }

    // Runs one sync with the given lock calls; what it printed.
    std::string printedBySync(Mutex::LockCall lock, Mutex::LockCall unlock) {
        Mutex mutex("Store", lock, unlock);
        support::StdoutCapture capture;
        mutex.sync([&] { ran = true; });
        capture.finish();
        return capture.text();
    }

    bool ran = false;
};

TEST_F(MutexFailureTest, LockFailurePrintsOneLineAndSkipsCallbackAndUnlock) {
    EXPECT_EQ(printedBySync(refuseToLock, countedUnlock), "Mutex.Store: can't be locked\n");
    EXPECT_FALSE(ran);
    EXPECT_EQ(unlockCalls.load(), 0);
}

TEST_F(MutexFailureTest, UnlockFailurePrintsOneLineAfterRunningCallback) {
    EXPECT_EQ(printedBySync(pthread_mutex_lock, unlockButReportFailure),
              "Mutex.Store: can't be unlocked\n");
    EXPECT_TRUE(ran);
}

TEST_F(MutexFailureTest, WorkingLockPrintsNothingAndUnlocksOnce) {
    EXPECT_EQ(printedBySync(pthread_mutex_lock, countedUnlock), "");
    EXPECT_TRUE(ran);
    EXPECT_EQ(unlockCalls.load(), 1);
}

}  // namespace
}  // namespace tarvendo
