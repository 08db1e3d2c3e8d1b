#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "discovery/ServiceAdvertiser.h"
#include "discovery/ServiceBrowser.h"
#include "transport/Address.h"

namespace tarvendo {

inline void PrintTo(const Address& address, std::ostream* out) {
    *out << address.address << ':' << address.port;
}

namespace test {

// Values a handler delivers on the Avahi thread, for the test thread to
// wait for and inspect.
template <class T>
class Recorded {
public:
    void add(T value) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(std::move(value));
        }
        changed_.notify_all();
    }
    bool waitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return values_.size() >= count; });
    }
    std::vector<T> values() const {
        std::lock_guard lock(mutex_);
        return values_;
    }
    std::size_t size() const { return values().size(); }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<T> values_;
};

struct BrowseRecorder {
    Recorded<std::vector<Address>> found;
    Recorded<bool> allForNow;
    Recorded<std::string> problems;

    ServiceBrowser::Handlers handlers() {
        return {[this](std::vector<Address> addresses) { found.add(std::move(addresses)); },
                [this] { allForNow.add(true); },
                [this](const std::string& line) {
                    problems.add(line);
                }};
    }
};

struct AdvertiseRecorder {
    Recorded<std::string> published;
    Recorded<std::string> problems;

    ServiceAdvertiser::Handlers handlers() {
        return {[this](const std::string& name) { published.add(name); },
                [this](const std::string& line) {
                    problems.add(line);
                }};
    }
};

}  // namespace test
}  // namespace tarvendo
