#include <gtest/gtest.h>

#include <cstdlib>

#include "ChildProcess.h"
#include "Recorders.h"
#include "SandboxTest.h"
#include "ServiceAdvertiser.h"
#include "ServiceBrowser.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

// Runs alone in its sandbox: it replaces the sandbox's daemon.
class DaemonRestartTest : public test::SandboxTest {
protected:
    static void stopDaemon() {
        test::ChildProcess kill({"avahi-daemon", "--kill"});
        kill.readAll(5s);
    }

    static std::unique_ptr<test::ChildProcess> startDaemon() {
        const char* config = std::getenv("MDNS_SANDBOX_AVAHI_CONFIG");
        return std::make_unique<test::ChildProcess>(std::vector<std::string>{
            "avahi-daemon", std::string("--file=") + (config == nullptr ? "" : config),
            "--no-chroot", "--no-drop-root", "--no-rlimits"});
    }

    test::AdvertiseRecorder advertised;
    test::BrowseRecorder browsed;
};

TEST_F(DaemonRestartTest, PublicationAndBrowseSurviveARestart) {
    ServiceAdvertiser advertiser(50050, advertised.handlers());
    ServiceBrowser browser(browsed.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(browsed.found.waitForCount(1));

    stopDaemon();
    ASSERT_TRUE(advertised.problems.waitForCount(1));
    ASSERT_TRUE(browsed.problems.waitForCount(1));
    EXPECT_EQ(advertised.problems.values().front(),
              "DNS-SD: the Avahi daemon is not running; waiting for it");

    const auto daemon = startDaemon();
    ASSERT_TRUE(advertised.published.waitForCount(2, 10s));
    ASSERT_TRUE(browsed.found.waitForCount(2, 10s));
    EXPECT_EQ(browsed.found.values().back(), (std::vector<Address>{{sandboxAddress(), 50050}}));
}

}  // namespace
}  // namespace tarvendo
