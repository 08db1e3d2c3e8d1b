#pragma once

#include <string>
#include <utility>

namespace tarvendo {

// The outcome of starting a DNS-SD operation: ok, or one line saying why not,
// fit for a log. Discovery never throws; a missing daemon is a status.
struct DiscoveryStatus {
    bool ok = true;
    std::string message;

    static DiscoveryStatus failure(std::string message) { return {false, std::move(message)}; }
};

}  // namespace tarvendo
