#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Recorders.h"
#include "SandboxTest.h"
#include "discovery/ServiceBrowser.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

// Long enough for the daemon to answer a resolution of a local service
// many times over.
constexpr auto quietPeriod = 1s;

class ServiceBrowserTest : public test::SandboxTest {
protected:
    test::BrowseRecorder recorder;
    ServiceBrowser browser{recorder.handlers()};
};

TEST_F(ServiceBrowserTest, SaysAllForNowThenFindsAServerThatAppears) {
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(recorder.allForNow.waitForCount(1));
    EXPECT_EQ(recorder.found.size(), 0u);
    publish({{"Tarvendo", 50124}});
    ASSERT_TRUE(recorder.found.waitForCount(1));
    EXPECT_EQ(recorder.found.values().front(), (std::vector<Address>{{sandboxAddress(), 50124}}));
    EXPECT_EQ(recorder.problems.size(), 0u);
}

TEST_F(ServiceBrowserTest, ReportsOnlyTheExactInstanceName) {
    publish(
        {{"Other", 50001}, {"Tarvendo #2", 50002}, {"Tarvendo (2)", 50003}, {"Tarvendo ", 50004}});
    ASSERT_TRUE(browser.start().ok);
    publish({{"Tarvendo", 50010}});
    ASSERT_TRUE(recorder.found.waitForCount(1));
    std::this_thread::sleep_for(quietPeriod);
    for (const auto& addresses : recorder.found.values()) {
        ASSERT_EQ(addresses.size(), 1u);
        EXPECT_EQ(addresses.front().port, 50010);
    }
}

// A host whose only address is 0.0.0.0 offers nothing to connect to; the
// browse goes on and finds the real server later.
TEST_F(ServiceBrowserTest, SkipsTheUnspecifiedAddressAndGoesOn) {
    publishAddress("nowhere.local", "0.0.0.0");
    publish({{"Tarvendo", 50020}}, "nowhere.local");
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(test::peerResolves("Tarvendo", "0.0.0.0", 50020));
    ASSERT_TRUE(recorder.allForNow.waitForCount(1));
    std::this_thread::sleep_for(quietPeriod);
    EXPECT_EQ(recorder.found.size(), 0u);

    unpublishAll();
    ASSERT_TRUE(waitUntilWithdrawn());
    publish({{"Tarvendo", 50021}});
    ASSERT_TRUE(recorder.found.waitForCount(1));
    EXPECT_EQ(recorder.found.values().back(), (std::vector<Address>{{sandboxAddress(), 50021}}));
}

class ServiceBrowserStopTest : public test::SandboxTest {
protected:
    void expectQuietAfterStop() {
        const std::size_t before = recorder.found.size() + recorder.allForNow.size();
        std::this_thread::sleep_for(quietPeriod);
        EXPECT_EQ(recorder.found.size() + recorder.allForNow.size(), before);
    }

    test::BrowseRecorder recorder;
};

TEST_F(ServiceBrowserStopTest, StopBeforeStartLeavesNothingToStart) {
    ServiceBrowser browser(recorder.handlers());
    browser.stop();
    EXPECT_FALSE(browser.start().ok);
    publish({{"Tarvendo", 50030}});
    std::this_thread::sleep_for(quietPeriod);
    EXPECT_EQ(recorder.found.size(), 0u);
}

TEST_F(ServiceBrowserStopTest, StopsFromSeveralThreadsAtOnceAndAgainEndAllReports) {
    publish({{"Tarvendo", 50033}});
    ServiceBrowser browser(recorder.handlers());
    ASSERT_TRUE(browser.start().ok);
    std::atomic<bool> go = false;
    std::vector<std::thread> stoppers;
    for (int i = 0; i < 4; ++i) {
        stoppers.emplace_back([&] {
            while (!go) {
                std::this_thread::yield();
            }
            browser.stop();
        });
    }
    go = true;
    for (std::thread& stopper : stoppers) {
        stopper.join();
    }
    browser.stop();
    expectQuietAfterStop();
}

TEST_F(ServiceBrowserStopTest, StopFromInsideTheFoundHandler) {
    publish({{"Tarvendo", 50032}});
    ServiceBrowser* self = nullptr;
    test::Recorded<std::string> events;
    ServiceBrowser browser({[&](std::vector<Address>) {
                                self->stop();
                                self->stop();
                                events.add("found");
                            },
                            [&] { events.add("all for now"); },
                            {}});
    self = &browser;
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(events.waitForCount(1));
    std::this_thread::sleep_for(quietPeriod);
    // Nothing follows the report that stopped the browse.
    EXPECT_EQ(events.values().back(), "found");
    browser.stop();
}

TEST_F(ServiceBrowserStopTest, DestroyingWhileResolvingIsSafe) {
    publish({{"Tarvendo", 50034}});
    for (int round = 0; round < 20; ++round) {
        ServiceBrowser browser(recorder.handlers());
        ASSERT_TRUE(browser.start().ok);
        std::this_thread::sleep_for(std::chrono::milliseconds(round));
    }
    // Nothing reported into the recorder once the browsers are gone.
    expectQuietAfterStop();
}

}  // namespace
}  // namespace tarvendo
