#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace tarvendo::test {

using namespace std::chrono_literals;

// How long a test waits for something that happens at once when all is well.
inline constexpr std::chrono::milliseconds kPatience = 5s;

// Polls the condition until it holds or the limit passes.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = kPatience);

// Items that arrive from any thread, kept in order, with waits for them.
template <typename T>
class Waitable {
public:
    using Condition = std::function<bool(const std::vector<T>&)>;

    void push(T item) {
        {
            const std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        arrived_.notify_all();
    }
    // True once the items meet the condition; false when the limit passes first.
    bool waitUntil(const Condition& condition, std::chrono::milliseconds limit = kPatience) const {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, limit, [&] { return condition(items_); });
    }
    // The first count items, waiting for them; fewer when they do not come.
    std::vector<T> waitFor(std::size_t count, std::chrono::milliseconds limit = kPatience) const {
        waitUntil([count](const std::vector<T>& items) { return items.size() >= count; }, limit);
        std::vector<T> got = items();
        got.resize(std::min(count, got.size()));
        return got;
    }
    // The first item that matches, waiting for it.
    std::optional<T> waitForMatch(const std::function<bool(const T&)>& matches,
                                  std::chrono::milliseconds limit = kPatience) const {
        std::optional<T> found;
        waitUntil(
            [&](const std::vector<T>& items) {
                const auto match = std::ranges::find_if(items, matches);
                found = match == items.end() ? std::nullopt : std::optional(*match);
                return found.has_value();
            },
            limit);
        return found;
    }
    std::vector<T> items() const {
        const std::lock_guard lock(mutex_);
        return items_;
    }
    std::size_t size() const {
        const std::lock_guard lock(mutex_);
        return items_.size();
    }

private:
    mutable std::mutex mutex_;  // guards items_
    mutable std::condition_variable arrived_;
    std::vector<T> items_;
};

}  // namespace tarvendo::test
