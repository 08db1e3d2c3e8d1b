#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include "Alert.h"
#include "ClientTestSupport.h"
#include "MainQueue.h"
#include "QtMainQueue.h"
#include "Text.h"

namespace tarvendo::client {
namespace {

using namespace std::chrono_literals;
using test::waitUntil;

// The installed backend is the one the test main put in place.
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
    ASSERT_TRUE(waitUntil([this] { return !ran_.empty(); }));
    EXPECT_GE(elapsed.elapsed(), 100);
    EXPECT_TRUE(onMainThread_);
}

TEST_F(QtMainQueueTest, AfterWithZeroDelayStillRunsLater) {
    after(0, recording(1));
    EXPECT_TRUE(ran_.empty());
    EXPECT_TRUE(waitUntil([this] { return !ran_.empty(); }));
}

TEST_F(QtMainQueueTest, CancelledTaskNeverRuns) {
    DelayedTask task = after(0.05, recording(1));
    task.cancel();
    after(0.1, recording(2));
    ASSERT_TRUE(waitUntil([this] { return !ran_.empty(); }));
    EXPECT_EQ(ran_, (std::vector<int>{2}));
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

TEST_F(QtMainQueueTest, DetachedQueueDropsLaterPosts) {
    QtMainQueue queue(qApp);
    queue.detach();
    queue.async(recording(1));
    queue.asyncAfter(0ms, recording(2));
    QTest::qWait(30);
    EXPECT_TRUE(ran_.empty());
}

TEST_F(QtMainQueueTest, TasksOfADestroyedContextAreDropped) {
    auto context = std::make_unique<QObject>();
    QtMainQueue queue(context.get());
    queue.async(recording(1));
    queue.asyncAfter(10ms, recording(2));
    context.reset();
    QTest::qWait(40);
    EXPECT_TRUE(ran_.empty());
}

TEST(AlertTest, DefaultAlertIsAModalBoxTitledWithTheApplicationName) {
    QString title, text, informative;
    int buttons = 0;
    // The box is modal: inspect and close it from the event loop it runs.
    QTimer::singleShot(0, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        informative = box->informativeText();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    showAlert(nullptr, "The deal name can't by empty!", "Type the name");
    EXPECT_EQ(title, "Tarvendo Base");
    EXPECT_EQ(text, "The deal name can't by empty!");
    EXPECT_EQ(informative, "Type the name");
    EXPECT_EQ(buttons, 1);
}

TEST(AlertTest, ReplacedHandlerGetsTheAlertAndTheBoxComesBack) {
    QString seen;
    const AlertHandler before = setAlertHandler(
        [&seen](QWidget*, const QString& message, const QString&) { seen = message; });
    showAlert(nullptr, "Error: can't play", "error");
    EXPECT_EQ(seen, "Error: can't play");
    setAlertHandler(before);
    EXPECT_FALSE(setAlertHandler(nullptr) == nullptr) << "an empty handler means the box";
}

TEST(TextTest, FirstGraphemeIsUpperCasedAndTheRestKept) {
    EXPECT_EQ(withCapitalFirstGrapheme("story 12"), "Story 12");
    EXPECT_EQ(withCapitalFirstGrapheme("iOS app"), "IOS app");
    EXPECT_EQ(withCapitalFirstGrapheme("éclair"), "Éclair");
    EXPECT_EQ(withCapitalFirstGrapheme(QString::fromUtf8("e\u0301clair")),
              QString::fromUtf8("E\u0301clair"));
    EXPECT_EQ(withCapitalFirstGrapheme("ßtraße"), "SStraße");
    EXPECT_EQ(withCapitalFirstGrapheme("12 tickets"), "12 tickets");
    EXPECT_EQ(withCapitalFirstGrapheme(""), "");
}

TEST(TextTest, TypingCapitalisesAndKeepsTheCursor) {
    QLineEdit field;
    capitalizeAsTyped(&field);
    QTest::keyClicks(&field, "ßtory");
    EXPECT_EQ(field.text(), "SStory");
    EXPECT_EQ(field.cursorPosition(), 6);
    field.setText("abc");  // set by the program, not typed: left alone
    EXPECT_EQ(field.text(), "abc");
}

TEST(TextTest, FormTextIsTrimmedOfSpacesAndLineBreaks) {
    QLineEdit field;
    field.setText(" \t Story 12\n ");
    EXPECT_EQ(trimmedText(field), "Story 12");
}

TEST(TextTest, Utf8RoundTrip) {
    EXPECT_EQ(qText("½ ∞"), QString::fromUtf8("½ ∞"));
    EXPECT_EQ(utf8Text(QString::fromUtf8("½ ∞")), "½ ∞");
}

}  // namespace
}  // namespace tarvendo::client
