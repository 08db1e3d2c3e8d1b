#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

#include "ClientTestSupport.h"
#include "client/qt/Alert.h"
#include "client/qt/QtMainQueue.h"
#include "client/qt/Text.h"
#include "session/MainQueue.h"

namespace tarvendo::client {
namespace {

using namespace std::chrono_literals;
using test::waitUntil;

// The installed main queue is the one the test main put in place.
class QtMainQueueTest : public ::testing::Test {
protected:
    // Records, on whichever thread a task runs, whether it was the main one.
    Task recording(int value) {
        return [this, value] {
            onMainThread_ = onMainThread_ && QThread::currentThread() == qApp->thread();
            ran_.push_back(value);
        };
    }

    std::vector<int> ran_;
    bool onMainThread_ = true;
};

TEST_F(QtMainQueueTest, TasksPostedFromAnyThreadRunOnTheMainThreadInOrder) {
    std::thread poster([this] {
        for (int i = 0; i < 5; ++i) {
            runOnMain(recording(i));
        }
    });
    poster.join();
    EXPECT_TRUE(ran_.empty()) << "nothing runs inside the post";
    ASSERT_TRUE(waitUntil([this] { return ran_.size() == 5; }));
    EXPECT_EQ(ran_, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(onMainThread_);
}

TEST_F(QtMainQueueTest, AfterRunsOnTheMainThreadNoSoonerThanTheDelay) {
    QElapsedTimer elapsed;
    elapsed.start();
    std::thread poster([this] { after(0.1, recording(1)); });
    poster.join();
    after(0, recording(0));
    EXPECT_TRUE(ran_.empty()) << "not even a delay of zero runs inside the call";
    ASSERT_TRUE(waitUntil([this] { return ran_.size() == 2; }));
    EXPECT_GE(elapsed.elapsed(), 100);
    EXPECT_EQ(ran_, (std::vector<int>{0, 1}));
    EXPECT_TRUE(onMainThread_);
}

TEST_F(QtMainQueueTest, DelayLongerThanOneTimerIsWaitedOutInFull) {
    QtMainQueue queue(qApp, 10ms);
    QElapsedTimer elapsed;
    elapsed.start();
    queue.asyncAfter(45ms, recording(1));
    ASSERT_TRUE(waitUntil([this] { return !ran_.empty(); }));
    EXPECT_GE(elapsed.elapsed(), 45);
    QTest::qWait(30);
    EXPECT_EQ(ran_.size(), 1U);
}

// A cancelled task, and those of a detached queue or a destroyed context.
TEST_F(QtMainQueueTest, DroppedTasksNeverRun) {
    DelayedTask task = after(0.05, recording(1));
    task.cancel();
    auto context = std::make_unique<QObject>();
    QtMainQueue queue(context.get());
    queue.async(recording(2));
    queue.asyncAfter(10ms, recording(3));
    context.reset();
    queue.detach();
    queue.async(recording(4));
    after(0.1, recording(5));
    ASSERT_TRUE(waitUntil([this] { return !ran_.empty(); }));
    EXPECT_EQ(ran_, (std::vector<int>{5}));
}

TEST(AlertTest, DefaultAlertIsAModalBoxTitledWithTheApplicationName) {
    QString title, text, informative;
    qsizetype buttons = 0;
    // The box is modal: inspect and close it from the event loop it runs.
    QTimer::singleShot(0, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        informative = box->informativeText();
        buttons = box->buttons().size();
        box->button(QMessageBox::Ok)->click();
    });
    showAlert(nullptr, "The deal name can't by empty!", "Type the name");
    EXPECT_EQ(title, "Tarvendo Base");
    EXPECT_EQ(text, "The deal name can't by empty!");
    EXPECT_EQ(informative, "Type the name");
    EXPECT_EQ(buttons, 1);
}

// A grapheme may be two code points; upper-casing may make it longer.
TEST(TextTest, FirstGraphemeIsUpperCasedAsTypedKeepingTheCursor) {
    EXPECT_EQ(withCapitalFirstGrapheme(QString::fromUtf8("e\u0301clair")),
              QString::fromUtf8("E\u0301clair"));
    EXPECT_EQ(withCapitalFirstGrapheme("12 tickets"), "12 tickets");
    EXPECT_EQ(withCapitalFirstGrapheme(""), "");
    QLineEdit field;
    capitalizeAsTyped(&field);
    QTest::keyClicks(&field, "ßtory");
    EXPECT_EQ(field.text(), "SStory");
    EXPECT_EQ(field.cursorPosition(), 6);
    field.setText("abc");  // set by the program, not typed: left alone
    EXPECT_EQ(field.text(), "abc");
}

}  // namespace
}  // namespace tarvendo::client
