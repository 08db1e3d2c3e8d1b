#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"

namespace tarvendo::test {

// Base of the tests that need an Avahi daemon: they run inside
// scripts/mdns-sandbox, which says where services resolve to.
class SandboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(sandboxAddress().empty()) << "run this test inside scripts/mdns-sandbox";
    }

    // Leaves the network as the test found it, so the next one starts clean.
    void TearDown() override {
        unpublishAll();
        EXPECT_TRUE(waitUntilWithdrawn()) << "services outlived the test";
    }

    static std::string sandboxAddress() {
        const char* address = std::getenv("MDNS_SANDBOX_ADDRESS");
        return address == nullptr ? "" : address;
    }

    // Publishes a service with avahi-publish (on host, when given) and waits
    // until the daemon holds it; the service lives as long as the test.
    void publish(const std::string& name, std::uint16_t port, const std::string& host = "") {
        spawnService(name, port, host);
        waitForPublishers();
    }

    // The same for several services at once: probing for names takes a while.
    void publish(const std::vector<std::pair<std::string, std::uint16_t>>& services) {
        for (const auto& [name, port] : services) {
            spawnService(name, port, "");
        }
        waitForPublishers();
    }

    // Publishes an address record, for services on a host of our making.
    void publishAddress(const std::string& host, const std::string& address) {
        spawn({"avahi-publish", "--address", "--no-reverse", host, address});
        waitForPublishers();
    }

    void unpublishAll() {
        pending_.clear();
        publishers_.clear();
    }

    // Withdrawn records linger in the daemon's cache for a moment; waits
    // until a peer no longer sees any service of our type.
    static bool waitUntilWithdrawn() { return waitUntilPeerSeesNone("_tarvendo._tcp"); }

private:
    void spawnService(const std::string& name, std::uint16_t port, const std::string& host) {
        std::vector<std::string> arguments{"avahi-publish", "--service"};
        if (!host.empty()) {
            arguments.insert(arguments.end(), {"--host", host});
        }
        arguments.insert(arguments.end(), {name, "_tarvendo._tcp", std::to_string(port)});
        spawn(arguments);
    }

    void spawn(const std::vector<std::string>& arguments) {
        publishers_.push_back(std::make_unique<ChildProcess>(arguments));
        pending_.push_back(publishers_.back().get());
    }

    void waitForPublishers() {
        for (ChildProcess* publisher : pending_) {
            EXPECT_TRUE(waitEstablished(*publisher).has_value()) << "a record was not published";
        }
        pending_.clear();
    }

    std::vector<std::unique_ptr<ChildProcess>> publishers_;
    std::vector<ChildProcess*> pending_;  // started, not yet established
};

// DNS-SD label escaping as avahi-browse --parsable prints names.
inline std::string escapedLabel(const std::string& name) {
    std::string escaped;
    for (const unsigned char c : name) {
        if (c == '.' || c == '\\') {
            escaped += {'\\', static_cast<char>(c)};
        } else if (std::isalnum(c) != 0 || c == '-' || c == '_') {
            escaped += static_cast<char>(c);
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\%03u", c);
            escaped += code;
        }
    }
    return escaped;
}

// True when a peer's parsable resolution lines hold one for name on IPv4 at
// address and port.
inline bool peerResolved(const std::vector<std::string>& lines, const std::string& name,
                         const std::string& address, std::uint16_t port) {
    const std::string service = ";IPv4;" + escapedLabel(name) + ";_tarvendo._tcp;local;";
    const std::string endpoint = ";" + address + ";" + std::to_string(port) + ";";
    for (const std::string& line : lines) {
        if (line.rfind("=;", 0) == 0 && line.find(service) != std::string::npos &&
            line.find(endpoint) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace tarvendo::test
