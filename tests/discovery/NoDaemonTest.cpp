#include <gtest/gtest.h>

#include <cstdlib>

#include "Recorders.h"
#include "discovery/ServiceAdvertiser.h"
#include "discovery/ServiceBrowser.h"

namespace tarvendo {
namespace {

// The machine's own bus is out of reach here, whatever runs this test: the
// bus address is read once per process, before any thread starts.
class NoDaemonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tarvendo-test-bus", 1);
    }

    test::AdvertiseRecorder advertised;
    test::BrowseRecorder browsed;
};

TEST_F(NoDaemonTest, AdvertiserRefusesBadPortsAndFailsWithOneLine) {
    for (std::int32_t port : {0, -1, 65536}) {
        ServiceAdvertiser advertiser(port, advertised.handlers());
        const DiscoveryStatus refused = advertiser.start();
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.message, "DNS-SD: cannot advertise port " + std::to_string(port));
    }
    ServiceAdvertiser advertiser(50000, advertised.handlers());
    const DiscoveryStatus status = advertiser.start();
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("Avahi daemon"), std::string::npos) << status.message;
    EXPECT_EQ(status.message.find('\n'), std::string::npos);
    EXPECT_EQ(advertiser.name(), "Tarvendo");
    advertiser.stop();
    advertiser.stop();
    EXPECT_EQ(advertised.published.size(), 0u);
}

TEST_F(NoDaemonTest, BrowserFailsRefusesASecondStartAndStopsCleanly) {
    ServiceBrowser browser(browsed.handlers());
    EXPECT_FALSE(browser.start().ok);
    const DiscoveryStatus again = browser.start();
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.message, "DNS-SD: already started");
    browser.stop();
    browser.stop();
    EXPECT_EQ(browsed.found.size(), 0u);
}

}  // namespace
}  // namespace tarvendo
