#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/ChildProcess.h"

namespace tarvendo::test {

// The address local services resolve to inside scripts/mdns-sandbox (a
// network namespace with its own bus and Avahi daemon); empty outside it.
std::string sandboxAddress();
// The sandbox host's other IPv4 address, on its second link.
std::string secondSandboxAddress();

// The base of tests that need the sandbox's daemon; skipped outside it.
class MdnsSandboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (sandboxAddress().empty()) {
            GTEST_SKIP() << "runs inside scripts/mdns-sandbox";
        }
    }
};

// A service as another program on the network publishes it (avahi-publish),
// held by the daemon once this returns and withdrawn when the child goes;
// null when it was not published.
std::unique_ptr<ChildProcess> publishService(const std::string& name, const std::string& type,
                                             int port);

// Stops the sandbox's daemon; true once it has been told to go.
bool stopDaemon();
// Starts a daemon configured like the sandbox's first one, for as long as the
// child lives.
std::unique_ptr<ChildProcess> startDaemon();

}  // namespace tarvendo::test
