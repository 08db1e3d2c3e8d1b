#include "bench/QtBench.h"

#include <QApplication>
#include <QThread>

#include <cstdio>

#include "bench/BenchResult.h"
#include "client/qt/QtMainQueue.h"

namespace tarvendo::bench {

namespace {

constexpr std::chrono::milliseconds kSlice{5};

}  // namespace

int runWithQt(int argc, char** argv, const std::function<int()>& benchmark) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const client::QtMainQueueInstallation mainQueue;
    return benchmark();
}

bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const BenchClock::time_point deadline = BenchClock::now() + limit;
    while (!done()) {
        if (BenchClock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(kSlice.count()));
        QThread::msleep(1);
    }
    return true;
}

std::string playerName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "Player %02d", number);
    return name;
}

}  // namespace tarvendo::bench
