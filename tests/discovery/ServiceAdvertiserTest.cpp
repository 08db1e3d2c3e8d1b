#include <gtest/gtest.h>

#include "Recorders.h"
#include "SandboxTest.h"
#include "discovery/ServiceAdvertiser.h"
#include "discovery/ServiceBrowser.h"

namespace tarvendo {
namespace {

class ServiceAdvertiserTest : public test::SandboxTest {
protected:
    // Browses until the first find; what was found by then.
    std::vector<std::vector<Address>> browse() {
        test::BrowseRecorder browsed;
        ServiceBrowser browser(browsed.handlers());
        EXPECT_TRUE(browser.start().ok);
        EXPECT_TRUE(browsed.found.waitForCount(1));
        EXPECT_TRUE(browsed.allForNow.waitForCount(1));
        return browsed.found.values();
    }

    test::AdvertiseRecorder recorder;
};

TEST_F(ServiceAdvertiserTest, PublicationIsSeenByAPeerAndTheBrowserUntilStopped) {
    ServiceAdvertiser advertiser(50040, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(recorder.published.waitForCount(1));
    EXPECT_EQ(recorder.published.values().front(), "Tarvendo");
    EXPECT_TRUE(test::peerResolves("Tarvendo", sandboxAddress(), 50040));
    EXPECT_EQ(browse(), (std::vector<std::vector<Address>>{{{sandboxAddress(), 50040}}}));
    advertiser.stop();
    advertiser.stop();
    EXPECT_TRUE(waitUntilWithdrawn());
    EXPECT_EQ(recorder.problems.size(), 0u);
}

// The other holder keeps the name; clients, which want the exact name, keep
// finding it and never us, and the log says why.
TEST_F(ServiceAdvertiserTest, TakesAnAlternativeNameWhenTheNameIsTaken) {
    publish({{"Tarvendo", 50043}});
    ServiceAdvertiser advertiser(50044, recorder.handlers());
    ASSERT_TRUE(advertiser.start().ok);
    ASSERT_TRUE(recorder.published.waitForCount(1));
    EXPECT_EQ(recorder.published.values().front(), "Tarvendo #2");
    EXPECT_EQ(advertiser.name(), "Tarvendo #2");
    ASSERT_EQ(recorder.problems.size(), 1u);
    EXPECT_NE(recorder.problems.values().front().find("renamed to \"Tarvendo #2\""),
              std::string::npos);
    EXPECT_TRUE(test::peerResolves("Tarvendo #2", sandboxAddress(), 50044));
    EXPECT_EQ(browse(), (std::vector<std::vector<Address>>{{{sandboxAddress(), 50043}}}));
}

}  // namespace
}  // namespace tarvendo
