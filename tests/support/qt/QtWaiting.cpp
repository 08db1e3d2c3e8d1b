#include "support/qt/QtWaiting.h"

#include <QCoreApplication>
#include <QTest>

#include <thread>

namespace tarvendo::test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

void runQueuedTasks() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void postFromConnectionThread(NotificationCenter& center, Event event, UserInfo userInfo) {
    std::thread connection([&] { center.post(event, std::move(userInfo)); });
    connection.join();
}

void postAndRun(NotificationCenter& center, Event event, UserInfo userInfo) {
    postFromConnectionThread(center, event, std::move(userInfo));
    runQueuedTasks();
}

}  // namespace tarvendo::test
