#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "SandboxTest.h"
#include "discovery/BonjoureBrowser.h"
#include "session/EventObserver.h"
#include "session/MainQueue.h"
#include "session/RunLoop.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The login window's view of a discovery: the events, on the main queue.
class BonjoureBrowserTest : public test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        setMainQueue(loop);
        observers.registerEvent(Event::bonjoureServerFound, [this](const Notification& n) {
            found.push_back(
                n.userInfo.get<std::vector<Address>>("addresses").value_or(std::vector<Address>{}));
        });
        observers.registerEvent(Event::bonjoureServerNotFound, [this](const Notification&) {
            notFoundAt.push_back(Clock::now());
        });
    }
    void TearDown() override {
        browser.stop();
        observers.removeObservers();
        setMainQueue(nullptr);
        SandboxTest::TearDown();
    }
    // Runs the main queue for the whole span, so late events would show.
    void runFor(std::chrono::milliseconds span) {
        loop->runUntil([] { return false; }, span);
    }

    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    BonjoureBrowser browser;
    EventObserver observers;
    std::vector<std::vector<Address>> found;
    std::vector<Clock::time_point> notFoundAt;
};

TEST_F(BonjoureBrowserTest, FindsTheGameServerOnceAndTheTimeLimitStaysQuiet) {
    const auto server = test::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "50210"});
    ASSERT_TRUE(server && server->waitForOutput(" advertised as Tarvendo", 10s));
    browser.run(2.0);
    runFor(3000ms);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found.front(), (std::vector<Address>{{sandboxAddress(), 50210}}));
    EXPECT_TRUE(notFoundAt.empty());
}

TEST_F(BonjoureBrowserTest, OtherNamesAreNotFoundAndTheTimeLimitSaysSoOnce) {
    publish({{"Tarvendo #2", 50201}, {"Other", 50202}});
    const Clock::time_point started = Clock::now();
    browser.run(1.0);
    runFor(2500ms);
    EXPECT_TRUE(found.empty());
    ASSERT_EQ(notFoundAt.size(), 1U);
    EXPECT_GE(notFoundAt.front() - started, 1000ms);
}

TEST_F(BonjoureBrowserTest, StopBeforeTheTimeLimitPostsNothing) {
    browser.run(0.5);
    runFor(100ms);
    browser.stop();
    browser.stop();
    runFor(1000ms);
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(notFoundAt.empty());
}

}  // namespace
}  // namespace tarvendo
