#include "client/qt/QtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace tarvendo::client {

namespace {

using Clock = std::chrono::steady_clock;

// On the main thread: runs the task once the deadline has passed, rounding
// each wait up so that it never runs early.
void runAt(QObject* context, Clock::time_point deadline, std::chrono::milliseconds longestTimer,
           Task task) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) {
        task();
        return;
    }
    QTimer::singleShot(std::min(remaining, longestTimer), Qt::PreciseTimer, context,
                       [context, deadline, longestTimer, task = std::move(task)]() mutable {
                           runAt(context, deadline, longestTimer, std::move(task));
                       });
}

}  // namespace

QtMainQueue::QtMainQueue(QObject* context, std::chrono::milliseconds longestTimer)
    : longestTimer_(longestTimer), context_(context) {}

void QtMainQueue::async(Task task) {
    const std::lock_guard lock(mutex_);
    if (context_) {
        QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
    }
}

void QtMainQueue::asyncAfter(std::chrono::nanoseconds delay, Task task) {
    const Clock::time_point deadline = Clock::now() + delay;
    const std::lock_guard lock(mutex_);
    if (!context_) {
        return;
    }
    // Timers only start on the context's thread, so hop there first. The
    // hop and the timers end with the context, never with this queue.
    QMetaObject::invokeMethod(
        context_,
        [context = context_, deadline, longestTimer = longestTimer_,
         task = std::move(task)]() mutable {
            runAt(context, deadline, longestTimer, std::move(task));
        },
        Qt::QueuedConnection);
}

void QtMainQueue::detach() {
    const std::lock_guard lock(mutex_);
    context_ = nullptr;
}

QtMainQueueInstallation::QtMainQueueInstallation()
    : queue_(std::make_shared<QtMainQueue>(QCoreApplication::instance())) {
    setMainQueue(queue_);
}

QtMainQueueInstallation::~QtMainQueueInstallation() {
    queue_->detach();
    setMainQueue(nullptr);
}

}  // namespace tarvendo::client
