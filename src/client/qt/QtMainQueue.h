#pragma once

#include <chrono>
#include <mutex>

#include "session/MainQueue.h"

class QObject;

namespace tarvendo::client {

// The session layer's main queue on the Qt event loop: tasks run on the
// thread of a context object that lives on the main thread. Posting is safe
// from any thread.
class QtMainQueue final : public MainQueue {
public:
    // A QTimer counts in int milliseconds; longer delays are waited out in
    // several timers of at most this length.
    static constexpr std::chrono::milliseconds kLongestTimer{std::chrono::hours(24)};

    explicit QtMainQueue(QObject* context, std::chrono::milliseconds longestTimer = kLongestTimer);

    void async(Task task) override;
    void asyncAfter(std::chrono::nanoseconds delay, Task task) override;

    // Drops every later post; tasks already posted end with the context.
    // Called on the main thread before the context is destroyed.
    void detach();

private:
    const std::chrono::milliseconds longestTimer_;
    std::mutex mutex_;  // guards context_ against detach() while posting
    QObject* context_;
};

// Installs a QtMainQueue on the application object for as long as it lives;
// the client's main and the client tests' main hold one beside their
// QApplication, declared after it.
class QtMainQueueInstallation {
public:
    QtMainQueueInstallation();
    ~QtMainQueueInstallation();
    QtMainQueueInstallation(const QtMainQueueInstallation&) = delete;
    QtMainQueueInstallation& operator=(const QtMainQueueInstallation&) = delete;

private:
    std::shared_ptr<QtMainQueue> queue_;
};

}  // namespace tarvendo::client
