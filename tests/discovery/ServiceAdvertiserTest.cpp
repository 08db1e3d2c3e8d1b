#include <gtest/gtest.h>

#include "Recorders.h"
#include "SandboxTest.h"
#include "ServiceAdvertiser.h"
#include "ServiceBrowser.h"

namespace tarvendo {
namespace {

class ServiceAdvertiserTest : public test::SandboxTest {
protected:
    bool peerSees(const std::string& name, std::uint16_t port) {
        return test::peerResolved(test::resolveWithPeer("_tarvendo._tcp"), name, sandboxAddress(),
                                  port);
    }

    test::AdvertiseRecorder recorder;
};

TEST_F(ServiceAdvertiserTest, PublicationIsSeenByARealPeer) {
    ServiceAdvertiser advertiser(50040, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(recorder.published.waitForCount(1));
    EXPECT_EQ(recorder.published.values().front(), "Tarvendo");
    EXPECT_TRUE(peerSees("Tarvendo", 50040));
    EXPECT_EQ(recorder.problems.size(), 0u);
}

TEST_F(ServiceAdvertiserTest, PublicationIsFoundByTheBrowser) {
    ServiceAdvertiser advertiser(50041, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    test::BrowseRecorder browsed;
    ServiceBrowser browser(browsed.handlers());
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(browsed.found.waitForCount(1));
    EXPECT_EQ(browsed.found.values().front(), (std::vector<Address>{{sandboxAddress(), 50041}}));
}

TEST_F(ServiceAdvertiserTest, StopWithdrawsThePublication) {
    ServiceAdvertiser advertiser(50042, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(recorder.published.waitForCount(1));
    ASSERT_TRUE(peerSees("Tarvendo", 50042));
    advertiser.stop();
    advertiser.stop();
    EXPECT_TRUE(waitUntilWithdrawn());
}

// The other holder keeps the name; clients, which want the exact name, keep
// finding it and never us, and the log says why.
TEST_F(ServiceAdvertiserTest, TakesAnAlternativeNameWhenTheNameIsTaken) {
    publish("Tarvendo", 50043);
    ServiceAdvertiser advertiser(50044, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(recorder.published.waitForCount(1));
    EXPECT_EQ(recorder.published.values().front(), "Tarvendo #2");
    EXPECT_EQ(advertiser.name(), "Tarvendo #2");
    ASSERT_EQ(recorder.problems.size(), 1u);
    EXPECT_NE(recorder.problems.values().front().find("renamed to \"Tarvendo #2\""),
              std::string::npos);
    EXPECT_TRUE(peerSees("Tarvendo #2", 50044));

    test::BrowseRecorder browsed;
    ServiceBrowser browser(browsed.handlers());
    ASSERT_TRUE(browser.start().ok);
    ASSERT_TRUE(browsed.found.waitForCount(1));
    ASSERT_TRUE(browsed.allForNow.waitForCount(1));
    ASSERT_EQ(browsed.found.size(), 1u);
    EXPECT_EQ(browsed.found.values().front().front().port, 50043);
}

TEST_F(ServiceAdvertiserTest, RefusesAPortOutsideTheTcpRange) {
    for (std::int32_t port : {0, -1, 65536}) {
        ServiceAdvertiser advertiser(port, recorder.handlers());
        const DiscoveryStatus status = advertiser.start();
        EXPECT_FALSE(status.ok) << port;
        EXPECT_EQ(status.message, "DNS-SD: cannot advertise port " + std::to_string(port));
    }
    EXPECT_EQ(recorder.published.size(), 0u);
}

}  // namespace
}  // namespace tarvendo
