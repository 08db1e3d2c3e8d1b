#include <gtest/gtest.h>

#include "Recorders.h"
#include "SandboxTest.h"
#include "discovery/ServiceAdvertiser.h"
#include "discovery/ServiceBrowser.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

// Runs alone in its sandbox: it replaces the sandbox's daemon.
using DaemonRestartTest = test::SandboxTest;

TEST_F(DaemonRestartTest, PublicationAndBrowseSurviveARestart) {
    test::AdvertiseRecorder advertised;
    test::BrowseRecorder browsed;
    ServiceAdvertiser advertiser(50050, advertised.handlers());
    ServiceBrowser browser(browsed.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(browsed.found.waitForCount(1));

    const auto stopper = test::startTool({"avahi-daemon", "--kill"});
    ASSERT_TRUE(stopper && stopper->waitForExit(5s));
    ASSERT_TRUE(advertised.problems.waitForCount(1));
    ASSERT_TRUE(browsed.problems.waitForCount(1));
    EXPECT_EQ(advertised.problems.values().front(),
              "DNS-SD: the Avahi daemon is not running; waiting for it");

    const char* config = std::getenv("MDNS_SANDBOX_AVAHI_CONFIG");
    const auto daemon =
        test::startTool({"avahi-daemon", std::string("--file=") + (config ? config : ""),
                         "--no-chroot", "--no-drop-root", "--no-rlimits"});
    ASSERT_TRUE(advertised.published.waitForCount(2, 10s));
    ASSERT_TRUE(browsed.found.waitForCount(2, 10s));
    EXPECT_EQ(browsed.found.values().back(), (std::vector<Address>{{sandboxAddress(), 50050}}));
}

}  // namespace
}  // namespace tarvendo
