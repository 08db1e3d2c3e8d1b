#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "session/EventObserver.h"
#include "session/Mutex.h"
#include "session/PlayerStore.h"
#include "session/RunLoop.h"
#include "support/EventRecorder.h"
#include "support/MainQueueContract.h"
#include "support/Printers.h"
#include "support/StdoutCapture.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

int unlockCalls = 0;  // by the stand-ins for the unlock call

int countedUnlock(pthread_mutex_t* mutex) {
    ++unlockCalls;
    return pthread_mutex_unlock(mutex);
}

// A lock not taken skips the callback and is not released; a throwing
// callback still releases it.
TEST(MutexTest, EachFailurePrintsOneLineAndOnlyATakenLockIsReleased) {
    const std::tuple<Mutex::LockCall, Mutex::LockCall, std::string> cases[] = {
        {[](pthread_mutex_t*) { return EINVAL; }, countedUnlock, "Mutex.Store: can't be locked\n"},
        {pthread_mutex_lock, [](pthread_mutex_t* mutex) { return countedUnlock(mutex), EPERM; },
         "Mutex.Store: can't be unlocked\n"},
        {pthread_mutex_lock, countedUnlock, ""},
    };
    for (const auto& [lock, unlock, printed] : cases) {
        SCOPED_TRACE(printed);
        unlockCalls = 0;
        bool ran = false;
        Mutex mutex("Store", lock, unlock);
        test::StdoutCapture capture;
        mutex.sync([&] { ran = true; });
        capture.finish();
        EXPECT_EQ(capture.text(), printed);
        EXPECT_EQ(ran, lock == pthread_mutex_lock);
        EXPECT_EQ(unlockCalls, ran ? 1 : 0);
    }
    Mutex mutex("Store", pthread_mutex_lock, countedUnlock);
    EXPECT_THROW(mutex.sync([] { throw std::runtime_error("failed"); }), std::runtime_error);
    EXPECT_EQ(unlockCalls, 2);
}

struct RunLoopBackend {
    static std::shared_ptr<RunLoop> make() { return std::make_shared<RunLoop>(); }
    static bool runUntil(RunLoop& loop, const std::function<bool()>& condition,
                         std::chrono::milliseconds limit) {
        return loop.runUntil(condition, limit);
    }
};
using namespace test;  // where the contract's registration lives
INSTANTIATE_TYPED_TEST_SUITE_P(RunLoop, MainQueueContract, RunLoopBackend);

// Zero, not-a-number and negative delays run soon, never inside the call,
// from whichever thread; huge ones never. A dropped handle leaves its task
// pending; a cancelled one never runs and lets go of its closure at once.
// The loop runs until a task stops it.
TEST(AfterTest, RunsEachTaskOnTheMainQueueAfterItsDelayUnlessCancelled) {
    const auto loop = std::make_shared<RunLoop>();
    setMainQueue(loop);
    std::vector<std::string> ran;  // the loop thread's only
    const auto called = RunLoop::Clock::now();
    after(0.1, [&] { ran.push_back(RunLoop::Clock::now() - called >= 100ms ? "0.1" : "early"); });
    after(std::numeric_limits<double>::infinity(), [&] { ran.push_back("infinite"); });
    after(9.3e9, [&] { ran.push_back("past what a clock holds"); });
    auto captured = std::make_shared<int>(0);
    after(0, [&, captured] { ran.push_back("cancelled"); }).cancel();
    EXPECT_EQ(captured.use_count(), 1);
    DelayedTask cancelledLater =
        after(0.05, [&] { ran.push_back("cancelled by an earlier task"); });
    after(0.01, [&] { cancelledLater.cancel(); });
    std::thread([&] { after(std::nan(""), [&] { ran.push_back("NaN"); }); }).join();
    after(-5, [&] { ran.push_back("negative"); });
    after(0, [&] { ran.push_back("zero"); });
    EXPECT_TRUE(ran.empty());
    after(0.3, [&] { loop->stop(); });
    loop->run();
    EXPECT_EQ(ran, (std::vector<std::string>{"NaN", "negative", "zero", "0.1"}));
    setMainQueue(nullptr);
}

// Only an admin's store posts, once for every choice that leaves nobody on
// "#": not on a removal or a new deal. Connection threads add at once.
TEST(PlayerStoreTest, AdminStorePostsEachTimeAChoiceLeavesNobodyWaiting) {
    NotificationCenter center;
    Shared shared;
    test::EventRecorder ready{center, {Event::cardsReadyToOpen}};
    PlayerStore store{center, shared};
    for (const bool admin : {true, false}) {
        SCOPED_TRACE(admin ? "admin" : "player");
        shared.setAdmin(admin);
        const std::size_t before = ready.events.size();
        store.initNewDeal();
        store.add("A", "#");
        store.add("B", "#");
        store.add("A", "5");
        store.remove("B");
        EXPECT_EQ(ready.events.size() - before, 0u);
        store.add("B", "8");
        store.add("A", "3");
        EXPECT_EQ(ready.events.size() - before, (admin ? 2u : 0u));
        store.initNewDeal();
        EXPECT_EQ(ready.events.size() - before, (admin ? 2u : 0u));
        EXPECT_EQ(store.value("A"), "#");
    }
    {
        const auto addPlayers = [&](const std::string& prefix) {
            for (int i = 0; i < 200; ++i) {
                store.add(prefix + std::to_string(i), "8");
            }
        };
        const std::jthread first(addPlayers, "first-"), second(addPlayers, "second-");
    }
    EXPECT_EQ(store.allKeys().size(), 402u);
}

// Every observer of the name runs, once per registration, on the posting
// thread before post returns; one added during a post waits for the next,
// and a block may remove itself.
TEST(NotificationCenterTest, PostRunsObserversOnItsThreadAndRemovalWaitsForARunningOne) {
    NotificationCenter center;
    test::EventRecorder twice{center, {Event::play, Event::play}};
    int selfRemovingRuns = 0;
    ObserverToken selfRemoving;
    selfRemoving = center.addObserver(Event::openCards, [&](const Notification&) {
        ++selfRemovingRuns;
        center.removeObserver(selfRemoving);
    });
    int addedRuns = 0;
    center.addObserver(Event::play, [&, added = false](const Notification&) mutable {
        if (!std::exchange(added, true)) {
            center.addObserver(Event::play, [&](const Notification&) { ++addedRuns; });
        }
    });
    std::thread::id poster;
    std::size_t beforeReturn = 0;
    std::thread([&] {
        poster = std::this_thread::get_id();
        center.post(Event::play);
        beforeReturn = twice.events.size();
    }).join();
    EXPECT_EQ(beforeReturn, 2u);
    EXPECT_EQ(twice.events.items().back().thread, poster);
    EXPECT_EQ(addedRuns, 0);
    for (const Event event : {Event::play, Event::openCards, Event::openCards}) {
        center.post(event);
    }
    EXPECT_EQ(addedRuns, 1);
    EXPECT_EQ(selfRemovingRuns, 1);
    // Removal waits for the block running on another thread; a dropped
    // observer never runs again.
    NotificationCenter waiting;
    std::atomic<int> stage{0};  // 1: the block runs, 2: it may end, 3: it has ended
    const ObserverToken slow = waiting.addObserver(Event::play, [&](const Notification&) {
        stage = 1;
        test::eventually([&] { return stage == 2; });
        stage = 3;
    });
    const std::jthread posting([&] { waiting.post(Event::play); });
    ASSERT_TRUE(test::eventually([&] { return stage == 1; }));
    const std::jthread releasing([&] {
        std::this_thread::sleep_for(50ms);
        stage = 2;
    });
    waiting.removeObserver(slow);
    EXPECT_EQ(stage, 3);
    int calls = 0;
    EventObserver(waiting).registerEvent(Event::openCards, [&](const Notification&) { ++calls; });
    waiting.post(Event::openCards);
    EXPECT_EQ(calls, 0);
}

// Values read only as their own type; text and booleans, pushed or set,
// also as JSON.
TEST(UserInfoTest, ValuesReadOnlyAsTheirOwnTypeTextAndBooleansAlsoAsJson) {
    const std::vector<Address> addresses{{"127.0.0.1", 50000}};
    const UserInfo pushed = UserInfo::fromJsonObject(Json{{"name", "Ann"}, {"open", true}});
    const UserInfo set =
        UserInfo().setText("name", "Ann").setBoolean("open", true).setAddresses("at", addresses);
    for (const UserInfo& info : {pushed, set}) {
        EXPECT_EQ(info.get<std::string>("name"), "Ann");
        EXPECT_EQ(info.get<bool>("open"), true);
        EXPECT_EQ(info.get<Json>("name"), Json("Ann"));
        EXPECT_EQ(info.get<Json>("open"), Json(true));
        EXPECT_EQ(info.get<std::string>("open"), std::nullopt);
        EXPECT_EQ(info.get<bool>("name"), std::nullopt);
        EXPECT_EQ(info.get<std::vector<Address>>("name"), std::nullopt);
    }
    EXPECT_EQ(set.get<std::vector<Address>>("at"), addresses);
    EXPECT_EQ(set.get<Json>("at"), std::nullopt);
}

}  // namespace
}  // namespace tarvendo
