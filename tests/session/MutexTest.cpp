#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <thread>

#include "StdoutCapture.h"
#include "session/Mutex.h"

namespace tarvendo {
namespace {

TEST(MutexTest, ThrowingCallbackStillUnlocks) {
    Mutex mutex("Test");
    EXPECT_THROW(mutex.sync([] { throw std::runtime_error("callback failed"); }),
                 std::runtime_error);
    // On another thread, so a lock left held shows as a hang instead of this
    // thread waiting on itself.
    bool ran = false;
    std::thread other([&] { mutex.sync([&] { ran = true; }); });
    other.join();
    EXPECT_TRUE(ran);
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
    ++unlockCalls;
    pthread_mutex_unlock(mutex);
    return EPERM;
}

TEST(MutexFailureTest, EachFailurePrintsOneLineAndALockNotTakenIsNotReleased) {
    struct Case {
        Mutex::LockCall lock;
        Mutex::LockCall unlock;
        std::string printed;
        bool ran;
        int unlocks;
    };
    const Case cases[] = {
        {refuseToLock, countedUnlock, "Mutex.Store: can't be locked\n", false, 0},
        {pthread_mutex_lock, unlockButReportFailure, "Mutex.Store: can't be unlocked\n", true, 1},
        {pthread_mutex_lock, countedUnlock, "", true, 1},
    };
    for (const Case& expected : cases) {
        SCOPED_TRACE(expected.printed);
        unlockCalls = 0;
        bool ran = false;
        Mutex mutex("Store", expected.lock, expected.unlock);
        support::StdoutCapture capture;
        mutex.sync([&] { ran = true; });
        capture.finish();
        EXPECT_EQ(capture.text(), expected.printed);
        EXPECT_EQ(ran, expected.ran);
        EXPECT_EQ(unlockCalls.load(), expected.unlocks);
    }
}

}  // namespace
}  // namespace tarvendo
