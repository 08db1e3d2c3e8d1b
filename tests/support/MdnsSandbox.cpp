#include "support/MdnsSandbox.h"

#include <cstdlib>
#include <vector>

namespace tarvendo::test {

using namespace std::chrono_literals;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

// An Avahi tool found on the PATH.
std::unique_ptr<ChildProcess> startTool(const std::vector<std::string>& arguments) {
    return ChildProcess::start("/usr/bin/env", arguments);
}

}  // namespace

std::string sandboxAddress() {
    return environment("MDNS_SANDBOX_ADDRESS");
}

std::string secondSandboxAddress() {
    const std::string all = environment("MDNS_SANDBOX_ADDRESSES");
    return all.substr(all.find(' ') + 1);
}

std::unique_ptr<ChildProcess> publishService(const std::string& name, const std::string& type,
                                             int port) {
    auto publisher = startTool({"avahi-publish", "--service", name, type, std::to_string(port)});
    // avahi-publish: "Established under name '...'".
    if (publisher && !publisher->waitForOutput("Established under", 5s)) {
        publisher.reset();
    }
    return publisher;
}

bool stopDaemon() {
    const auto stopper = startTool({"avahi-daemon", "--kill"});
    return stopper && stopper->waitForExit(5s) == 0;
}

std::unique_ptr<ChildProcess> startDaemon() {
    return startTool({"avahi-daemon", "--file=" + environment("MDNS_SANDBOX_AVAHI_CONFIG"),
                      "--no-chroot", "--no-drop-root", "--no-rlimits"});
}

}  // namespace tarvendo::test
