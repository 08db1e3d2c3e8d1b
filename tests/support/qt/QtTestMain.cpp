#include <QApplication>

#include <gtest/gtest.h>

#include "client/qt/QtMainQueue.h"

// Every client test runs with a QApplication and the Qt main queue, as the
// client itself does.
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const tarvendo::client::QtMainQueueInstallation mainQueue;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
