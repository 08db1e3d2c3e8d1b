#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <thread>

#include "discovery/BonjoureBrowser.h"
#include "discovery/ResolvedAddress.h"
#include "discovery/ServiceAdvertiser.h"
#include "discovery/ServiceBrowser.h"
#include "session/RunLoop.h"
#include "support/EventRecorder.h"
#include "support/MdnsSandbox.h"
#include "support/Printers.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;
using Addresses = std::vector<Address>;

// Only a specified IPv4 address is one to connect to; an IPv6 record must
// not be read as IPv4, whatever its first bytes hold.
TEST(UsableAddressesTest, RendersSpecifiedIPv4AddressesOnly) {
    const std::tuple<int, const char*, Addresses> cases[] = {
        {AF_INET, "192.168.0.5", {{"192.168.0.5", 65535}}},
        {AF_INET, "0.0.0.0", {}},
        {AF_INET6, "c0a8:5::1", {}},
    };
    for (const auto& [family, text, expected] : cases) {
        AvahiAddress address{family == AF_INET ? AVAHI_PROTO_INET : AVAHI_PROTO_INET6, {}};
        inet_pton(family, text, &address.data);
        EXPECT_EQ(usableAddresses(&address, 65535), expected) << text;
    }
    EXPECT_TRUE(usableAddresses(nullptr, 50000).empty());
}

// Run outside the sandbox, with the machine's own bus out of reach: the bus
// address is read once per process, before any thread starts.
TEST(NoDaemonTest, AdvertiserAndBrowserSayWhyInOneLine) {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tarvendo-test-bus", 1);
    ServiceAdvertiser advertiser(50000);
    EXPECT_THAT(
        advertiser.start().message,
        ::testing::MatchesRegex("DNS-SD unavailable: cannot reach the Avahi daemon \\([^\n]*\\)"));
    ServiceBrowser browser({});
    EXPECT_FALSE(browser.start().ok);
    EXPECT_EQ(browser.start().message, "DNS-SD: already started");
}

// Every report of browsers or advertisers as a line, from the Avahi thread.
struct Reports : test::Waitable<std::string> {
    ServiceBrowser::Handlers browsing() {
        return {[this](const Addresses& found) { push(foundLine(found)); },
                [this] { push("all for now"); }, std::bind_front(&Reports::push, this)};
    }
    ServiceAdvertiser::Handlers advertising() {
        return {[this](const std::string& name) { push("published " + name); },
                std::bind_front(&Reports::push, this)};
    }
    static std::string foundLine(const Addresses& found) {
        return "found " + ::testing::PrintToString(found);
    }
    bool waitForLine(const std::string& line, std::ptrdiff_t n = 1) {
        return waitUntil([&](const auto& all) { return std::ranges::count(all, line) == n; }, 10s);
    }
};

// Each test but the game server's uses a service type of its own, so that
// none sees another's services.
using SandboxTest = test::MdnsSandboxTest;

// Stopping from inside a handler, from several threads at once or by
// destruction while resolving neither hangs nor crashes, and no report
// follows.
TEST_F(SandboxTest, BrowserFindsAServiceAndStopsSafelyFromAnyThreadOrHandler) {
    const ServiceIdentity identity{"_tvbrowse._tcp"};
    const auto published = test::publishService("Tarvendo", identity.type, 50124);
    Reports reports;
    ServiceBrowser* self = nullptr;
    const auto stopSelf = [&](const Addresses&) {
        self->stop();
        reports.push("stopped");
    };
    ServiceBrowser selfStopping({stopSelf, {}, {}}, identity);
    self = &selfStopping;
    ServiceBrowser raced(reports.browsing(), identity);
    ASSERT_TRUE(published && selfStopping.start().ok && raced.start().ok);
    EXPECT_TRUE(reports.waitForLine(Reports::foundLine({{test::sandboxAddress(), 50124}})));
    EXPECT_TRUE(reports.waitForLine("all for now") && reports.waitForLine("stopped"));
    {
        const auto stop = std::bind_front(&ServiceBrowser::stop, &raced);
        const std::jthread first(stop), second(stop), third(stop), fourth(stop);
    }
    raced.stop();
    for (int round = 0; round < 20; ++round) {
        ServiceBrowser dropped(reports.browsing(), identity);
        EXPECT_TRUE(dropped.start().ok);
        std::this_thread::sleep_for(std::chrono::milliseconds(round));
    }
    const std::size_t reported = reports.size();
    std::this_thread::sleep_for(1s);  // far longer than a local resolution takes
    EXPECT_EQ(reports.size(), reported);
}

// A local holder keeps the name, so the advertiser takes Avahi's alternative
// and says why in the log, since clients look for the exact name only. The
// publication outlives a daemon restart, and so does a browse. In a sandbox
// of its own: it replaces the sandbox's daemon.
TEST_F(SandboxTest, AdvertiserRenamesOnACollisionAndSurvivesADaemonRestart) {
    const ServiceIdentity identity{"_tvadvertise._tcp"};
    const auto holder = test::publishService("Tarvendo", identity.type, 50043);
    Reports advertised;
    Reports browsed;
    ServiceAdvertiser advertiser(50044, advertised.advertising(), identity);
    ServiceBrowser browser(browsed.browsing(), {identity.type, identity.domain, "Tarvendo #2"});
    ASSERT_TRUE(holder && advertiser.start().ok && browser.start().ok);
    EXPECT_EQ(
        advertised.waitFor(2),
        (std::vector<std::string>{R"(DNS-SD: name "Tarvendo" is taken; renamed to "Tarvendo #2")",
                                  "published Tarvendo #2"}));
    EXPECT_EQ(advertiser.name(), "Tarvendo #2");
    const std::string found = Reports::foundLine({{test::sandboxAddress(), 50044}});
    ASSERT_TRUE(browsed.waitForLine(found) && test::stopDaemon());
    const std::string waiting = "DNS-SD: the Avahi daemon is not running; waiting for it";
    ASSERT_TRUE(advertised.waitForLine(waiting) && browsed.waitForLine(waiting));
    const auto daemon = test::startDaemon();
    EXPECT_TRUE(advertised.waitForLine("published Tarvendo #2", 2));
    EXPECT_TRUE(browsed.waitForLine(found, 2));
}

// A namesake is somebody else's: the time limit says so, once, and a browser
// stopped before its limit says nothing. The game server is found at each of
// its two addresses, once each, and its time limit then stays quiet. The
// events come on the main queue.
TEST_F(SandboxTest, BonjoureBrowserFindsOnlyTheGameServerAndSaysWhenTimeIsUp) {
    const auto loop = std::make_shared<RunLoop>();
    setMainQueue(loop);
    NotificationCenter center;
    test::EventRecorder recorder{center,
                                 {Event::bonjoureServerFound, Event::bonjoureServerNotFound}};
    const auto namesake = test::publishService("Tarvendo #2", "_tarvendo._tcp", 50201);
    BonjoureBrowser browser(center);
    BonjoureBrowser stopped(center);
    const auto started = RunLoop::Clock::now();
    browser.run(1.0);
    stopped.run(0.5);
    loop->runUntil([] { return false; }, 100ms);
    stopped.stop();
    ASSERT_TRUE(loop->runUntil([&] { return recorder.events.size() == 1; }, 5s));
    EXPECT_GE(RunLoop::Clock::now() - started, 1s) << "at the time limit, not before";
    const auto server = test::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0"});
    const std::optional<int> port = server ? test::listeningPort(*server, 10s) : std::nullopt;
    ASSERT_TRUE(namesake && port && server->waitForOutput(" advertised as", 10s));
    browser.run(2.0);
    loop->runUntil([] { return false; }, 2500ms);
    const std::vector<test::RecordedEvent> events = recorder.events.items();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].notification.name, Event::bonjoureServerNotFound);
    Addresses found = events[2].notification.userInfo.get<Addresses>("addresses").value();
    std::ranges::sort(found, {}, &Address::address);
    EXPECT_EQ(found,
              (Addresses{{test::sandboxAddress(), *port}, {test::secondSandboxAddress(), *port}}));
    for (const test::RecordedEvent& event : events) {
        EXPECT_EQ(event.thread, std::this_thread::get_id());
    }
    setMainQueue(nullptr);
}

}  // namespace
}  // namespace tarvendo
