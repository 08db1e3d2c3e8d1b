#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"

namespace tarvendo::test {

using namespace std::chrono_literals;

// An Avahi tool (avahi-publish, avahi-browse, avahi-daemon) found on the PATH;
// killed when the object goes.
inline std::unique_ptr<test::ChildProcess> startTool(const std::vector<std::string>& arguments) {
    return test::ChildProcess::start("/usr/bin/env", arguments);
}

// The parsable lines a real DNS-SD peer sees for our type (avahi-browse -pt),
// resolved or not.
inline std::vector<std::string> peerLines(bool resolve) {
    std::vector<std::string> arguments{"avahi-browse", "--parsable", "--terminate",
                                       "_tarvendo._tcp"};
    if (resolve) {
        arguments.insert(arguments.begin() + 1, "--resolve");
    }
    const std::unique_ptr<test::ChildProcess> peer = startTool(arguments);
    std::vector<std::string> lines;
    if (peer) {
        peer->waitForExit(5s);
        std::istringstream output(peer->output());
        for (std::string line; std::getline(output, line);) {
            lines.push_back(line);
        }
    }
    return lines;
}

// DNS-SD label escaping as avahi-browse --parsable prints our names.
inline std::string escapedLabel(const std::string& name) {
    std::string escaped;
    for (const unsigned char c : name) {
        char code[5] = {static_cast<char>(c)};
        if (std::isalnum(c) == 0) {
            std::snprintf(code, sizeof code, "\\%03u", c);
        }
        escaped += code;
    }
    return escaped;
}

// True when a real peer resolves name on IPv4 at address and port.
inline bool peerResolves(const std::string& name, const std::string& address, std::uint16_t port) {
    const std::string service = ";IPv4;" + escapedLabel(name) + ";_tarvendo._tcp;local;";
    const std::string endpoint = ";" + address + ";" + std::to_string(port) + ";";
    for (const std::string& line : peerLines(true)) {
        if (line.rfind("=;", 0) == 0 && line.find(service) != std::string::npos &&
            line.find(endpoint) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Base of the tests that need an Avahi daemon: they run inside
// scripts/mdns-sandbox, which says where services resolve to.
class SandboxTest : public ::testing::Test {
protected:
    using Services = std::vector<std::pair<std::string, std::uint16_t>>;

    void SetUp() override {
        ASSERT_FALSE(sandboxAddress().empty()) << "run this test inside scripts/mdns-sandbox";
    }
    // Leaves the network as the test found it, so the next one starts clean.
    void TearDown() override {
        publishers_.clear();
        EXPECT_TRUE(waitUntilWithdrawn()) << "services outlived the test";
    }

    static std::string sandboxAddress() {
        const char* address = std::getenv("MDNS_SANDBOX_ADDRESS");
        return address == nullptr ? "" : address;
    }

    // Publishes the services with avahi-publish (on host, when given), all at
    // once since probing for names takes a while, and waits until the daemon
    // holds them; they live as long as the test or until unpublishAll.
    void publish(const Services& services, const std::string& host = "") {
        for (const auto& [name, port] : services) {
            std::vector<std::string> arguments{"avahi-publish", "--service"};
            if (!host.empty()) {
                arguments.insert(arguments.end(), {"--host", host});
            }
            arguments.insert(arguments.end(), {name, "_tarvendo._tcp", std::to_string(port)});
            publishers_.push_back(startTool(arguments));
        }
        waitForPublishers(services.size());
    }
    // An address record, for services on a host of our making.
    void publishAddress(const std::string& host, const std::string& address) {
        publishers_.push_back(
            startTool({"avahi-publish", "--address", "--no-reverse", host, address}));
        waitForPublishers(1);
    }
    void unpublishAll() { publishers_.clear(); }

    // Withdrawn records linger in the daemon's cache for a moment; waits
    // until a peer no longer sees any service of our type.
    static bool waitUntilWithdrawn() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        for (;;) {
            bool seen = false;
            for (const std::string& line : peerLines(false)) {
                seen = seen || line.rfind("+;", 0) == 0;
            }
            if (!seen) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(100ms);
        }
    }

private:
    void waitForPublishers(std::size_t count) {
        for (std::size_t i = publishers_.size() - count; i < publishers_.size(); ++i) {
            // avahi-publish: "Established under name '...'".
            EXPECT_TRUE(publishers_[i] && publishers_[i]->waitForOutput("Established under", 5s))
                << "a record was not published";
        }
    }

    std::vector<std::unique_ptr<test::ChildProcess>> publishers_;
};

}  // namespace tarvendo::test
