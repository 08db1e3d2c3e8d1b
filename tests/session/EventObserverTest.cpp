#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "EventObserver.h"

namespace tarvendo {
namespace {

// An adopter in the way the views adopt the protocol.
class CountingView : public EventObserver {
public:
    explicit CountingView(std::atomic<int>& calls) {
        registerEvent(Event::play, [&calls](const Notification&) { ++calls; });
    }
};

class EventObserverTest : public ::testing::Test {
protected:
    void post(Event event) { NotificationCenter::defaultCenter().post(event); }

    std::atomic<int> calls{0};
};

TEST_F(EventObserverTest, DestroyedAdopterNoLongerObserves) {
    auto view = std::make_unique<CountingView>(calls);
    post(Event::play);
    view.reset();
    post(Event::play);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(EventObserverTest, RemoveObserversStopsEveryBlockAndRegisteringAgainWorks) {
    EventObserver observer;
    observer.registerEvent(Event::play, [&](const Notification&) { ++calls; });
    observer.registerEvent(Event::openCards, [&](const Notification&) { ++calls; });
    observer.removeObservers();
    post(Event::play);
    post(Event::openCards);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(observer.observerCount(), 0u);
    observer.registerEvent(Event::play, [&](const Notification&) { ++calls; });
    post(Event::play);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(observer.observerCount(), 1u);
}

TEST_F(EventObserverTest, BlockCanRemoveItsOwnAdoptersObservers) {
    EventObserver observer;
    observer.registerEvent(Event::play, [&](const Notification&) {
        ++calls;
        observer.removeObservers();
    });
    post(Event::play);
    post(Event::play);
    EXPECT_EQ(calls.load(), 1);
}

}  // namespace
}  // namespace tarvendo
