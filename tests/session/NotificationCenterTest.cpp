#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "NotificationCenter.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

class NotificationCenterTest : public ::testing::Test {
protected:
    ObserverToken count(Event event, std::atomic<int>& calls) {
        return center.addObserver(event, [&calls](const Notification&) { ++calls; });
    }

    NotificationCenter center;
    std::atomic<int> calls{0};
};

TEST_F(NotificationCenterTest, BlockRunsOnThePostingThreadBeforePostReturns) {
    std::thread::id ranOn;
    center.addObserver(Event::play,
                       [&](const Notification&) { ranOn = std::this_thread::get_id(); });
    std::thread::id poster;
    bool ranBeforeReturn = false;
    std::thread posting([&] {
        poster = std::this_thread::get_id();
        center.post(Event::play);
        ranBeforeReturn = ranOn == poster;
    });
    posting.join();
    EXPECT_TRUE(ranBeforeReturn);
}

TEST_F(NotificationCenterTest, OnlyObserversOfThePostedNameRunAndGetItsUserInfo) {
    std::atomic<int> openCalls{0};
    std::optional<std::string> received;
    center.addObserver(Event::playerDidAdd, [&](const Notification& notification) {
        received = notification.userInfo.get<std::string>("player_name");
    });
    count(Event::openCards, openCalls);
    center.post(Event::playerDidAdd, UserInfo().setText("player_name", "Ann"));
    EXPECT_EQ(received, "Ann");
    EXPECT_EQ(openCalls.load(), 0);
}

TEST_F(NotificationCenterTest, RegisteringTwiceRunsTwicePerPost) {
    count(Event::play, calls);
    count(Event::play, calls);
    center.post(Event::play);
    EXPECT_EQ(calls.load(), 2);
}

TEST_F(NotificationCenterTest, RemovedObserverNoLongerRunsOthersStill) {
    std::atomic<int> keptCalls{0};
    const ObserverToken removed = count(Event::play, calls);
    count(Event::play, keptCalls);
    center.removeObserver(removed);
    center.post(Event::play);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(keptCalls.load(), 1);
}

TEST_F(NotificationCenterTest, BlockCanRemoveItselfWithoutDeadlock) {
    ObserverToken self;
    self = center.addObserver(Event::play, [&](const Notification&) {
        ++calls;
        center.removeObserver(self);
    });
    center.post(Event::play);
    center.post(Event::play);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(NotificationCenterTest, BlockCanPostAndRemoveOthers) {
    const ObserverToken other = count(Event::openCards, calls);
    center.addObserver(Event::play, [&](const Notification&) {
        center.post(Event::openCards);
        center.removeObserver(other);
    });
    center.post(Event::play);
    center.post(Event::openCards);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(NotificationCenterTest, RemovalFromAnotherThreadWaitsForTheRunningBlock) {
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> blockFinished{false};
    const ObserverToken token = center.addObserver(Event::play, [&](const Notification&) {
        entered.set_value();
        released.wait_for(5s);
        blockFinished = true;
    });
    std::thread posting([&] { center.post(Event::play); });
    entered.get_future().wait();
    std::atomic<bool> removalReturned{false};
    std::thread removing([&] {
        center.removeObserver(token);
        removalReturned = true;
    });
    std::this_thread::sleep_for(50ms);  // time for a removal that does not wait to return
    EXPECT_FALSE(removalReturned.load());
    release.set_value();
    removing.join();
    EXPECT_TRUE(blockFinished.load());
    posting.join();
}

TEST_F(NotificationCenterTest, NoBlockRunsAfterRemovalRacingWithPosts) {
    std::atomic<bool> removed{false};
    std::atomic<int> lateCalls{0};
    const ObserverToken token = center.addObserver(Event::play, [&](const Notification&) {
        ++calls;
        lateCalls += removed.load() ? 1 : 0;
        std::this_thread::yield();
        lateCalls += removed.load() ? 1 : 0;
    });
    std::atomic<bool> stopPosting{false};
    std::thread posting([&] {
        for (int i = 0; i < 200000 && !stopPosting.load(); ++i) {
            center.post(Event::play);
        }
    });
    while (calls.load() < 100) {
        std::this_thread::yield();
    }
    center.removeObserver(token);
    removed = true;
    std::this_thread::sleep_for(10ms);  // let the poster go on after the removal
    stopPosting = true;
    posting.join();
    EXPECT_EQ(lateCalls.load(), 0);
}

}  // namespace
}  // namespace tarvendo
