#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tarvendo::test {

// A helper program the tests run beside the code under test (avahi-publish,
// avahi-browse, avahi-daemon): started with its output on a pipe,
// ended with TERM (KILL if it lingers) when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return pid_ > 0; }
    // The next line of output, or nothing at end of output or after timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Every line until the program closes its output, within timeout.
    std::vector<std::string> readAll(std::chrono::milliseconds timeout);

private:
    bool fill(std::chrono::steady_clock::time_point deadline);
    void end();

    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
};

// Runs avahi-publish with the arguments and waits until the daemon has
// established the record; yields the name it got, or nothing on timeout.
std::optional<std::string> waitEstablished(ChildProcess& publisher);

// The parsable lines a real DNS-SD peer resolves for type (avahi-browse -rpt).
std::vector<std::string> resolveWithPeer(const std::string& type);

// Waits until a real DNS-SD peer sees no service of type; false on timeout.
bool waitUntilPeerSeesNone(const std::string& type);

}  // namespace tarvendo::test
