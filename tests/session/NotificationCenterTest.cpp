#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "session/EventObserver.h"
#include "session/NotificationCenter.h"
#include "session/UserInfo.h"

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

// Every observer of the name runs, as often as it registered, on the posting
// thread before post returns; observers of other names do not.
TEST_F(NotificationCenterTest, PostRunsTheObserversOfItsNameOnItsThreadBeforeReturning) {
    std::atomic<int> openCalls{0};
    std::vector<std::pair<std::thread::id, std::optional<std::string>>> runs;
    for (int i = 0; i < 2; ++i) {
        center.addObserver(Event::playerDidAdd, [&](const Notification& notification) {
            runs.emplace_back(std::this_thread::get_id(),
                              notification.userInfo.get<std::string>("player_name"));
        });
    }
    count(Event::openCards, openCalls);
    std::thread::id poster;
    std::size_t runsBeforeReturn = 0;
    std::thread posting([&] {
        poster = std::this_thread::get_id();
        center.post(Event::playerDidAdd, UserInfo().setText("player_name", "Ann"));
        runsBeforeReturn = runs.size();
    });
    posting.join();
    EXPECT_EQ(runsBeforeReturn, 2u);
    for (const auto& [thread, name] : runs) {
        EXPECT_EQ(thread, poster);
        EXPECT_EQ(name, "Ann");
    }
    EXPECT_EQ(openCalls.load(), 0);
}

// A block may post, remove another observer or itself: no deadlock, and a
// removed observer never runs again while the others still do.
TEST_F(NotificationCenterTest, BlocksCanPostAndRemoveObserversThemselvesIncluded) {
    std::atomic<int> otherCalls{0};
    std::atomic<int> keptCalls{0};
    const ObserverToken other = count(Event::openCards, otherCalls);
    count(Event::openCards, keptCalls);
    ObserverToken self;
    self = center.addObserver(Event::play, [&](const Notification&) {
        ++calls;
        center.post(Event::openCards);
        center.removeObserver(other);
        center.removeObserver(self);
    });
    center.post(Event::play);
    center.post(Event::play);
    center.post(Event::openCards);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(otherCalls.load(), 1);
    EXPECT_EQ(keptCalls.load(), 2);
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

// Observers end with their adopter or on removeObservers, even from inside
// one of their own blocks; registering again afterwards works.
TEST(EventObserverTest, ObserversEndWithTheAdopterOrOnRemovalAndCanRegisterAgain) {
    std::atomic<int> calls{0};
    const auto post = [](Event event) {
        NotificationCenter::defaultCenter().post(event);
    };
    const auto count = [&](const Notification&) {
        ++calls;
    };
    auto destroyed = std::make_unique<EventObserver>();
    destroyed->registerEvent(Event::play, count);
    destroyed.reset();
    EventObserver observer;
    observer.registerEvent(Event::play, count);
    observer.registerEvent(Event::openCards, count);
    observer.removeObservers();
    EXPECT_EQ(observer.observerCount(), 0u);
    post(Event::play);
    post(Event::openCards);
    EXPECT_EQ(calls.load(), 0);
    observer.registerEvent(Event::play, [&](const Notification&) {
        ++calls;
        observer.removeObservers();
    });
    EXPECT_EQ(observer.observerCount(), 1u);
    post(Event::play);
    post(Event::play);
    EXPECT_EQ(calls.load(), 1);
}

// A pushed data object: every member is a key with its JSON value unchanged,
// strings and booleans also read as themselves, nothing reads as another type.
TEST(UserInfoTest, PushedObjectKeepsEveryMemberAndReadsOnlyItsOwnType) {
    const Json extra{{"nested", Json::array({1, 2})}};
    const UserInfo info = UserInfo::fromJsonObject(Json{
        {"player_name", "Ann"}, {"symbol", "½"}, {"round", 3}, {"open", true}, {"extra", extra}});
    EXPECT_EQ(info.keys(),
              (std::vector<std::string>{"extra", "open", "player_name", "round", "symbol"}));
    EXPECT_EQ(info.get<std::string>("player_name"), "Ann");
    EXPECT_EQ(info.get<std::string>("symbol"), "½");
    EXPECT_EQ(info.get<bool>("open"), true);
    EXPECT_EQ(info.get<Json>("round"), Json(3));
    EXPECT_EQ(info.get<Json>("extra"), extra);
    EXPECT_EQ(info.get<std::string>("round"), std::nullopt);
    EXPECT_EQ(info.get<bool>("player_name"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("title"), std::nullopt);
    EXPECT_EQ(info.get<std::vector<Address>>("extra"), std::nullopt);
}

TEST(UserInfoTest, BuiltValuesReadAsTheirTypeAndOnlyTextAndBooleansAsJson) {
    const std::vector<Address> addresses{{"127.0.0.1", 50000}, {"10.0.0.7", 50001}};
    const UserInfo info = UserInfo()
                              .setText("player_name", "Bob")
                              .setBoolean("is_admin", false)
                              .setAddresses("addresses", addresses);
    EXPECT_EQ(info.get<std::string>("player_name"), "Bob");
    EXPECT_EQ(info.get<bool>("is_admin"), false);
    EXPECT_EQ(info.get<std::vector<Address>>("addresses"), addresses);
    EXPECT_EQ(info.get<Json>("player_name"), Json("Bob"));
    EXPECT_EQ(info.get<Json>("is_admin"), Json(false));
    EXPECT_EQ(info.get<Json>("addresses"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("is_admin"), std::nullopt);
}

}  // namespace
}  // namespace tarvendo
