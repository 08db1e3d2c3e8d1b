#include "support/qt/TableDriver.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "client/app/MainWindow.h"
#include "client/login/LoginWindowController.h"
#include "client/table/MainView.h"
#include "client/table/SegmentedControl.h"
#include "client/table/Workspace.h"
#include "support/Loopback.h"
#include "support/qt/QtWaiting.h"

namespace tarvendo::test {

using client::ToolBar;

TableDriver::TableDriver(const Address& server, const QString& admin, const QString& game)
    : delegate(client::AppOptions{freePort(), QString::fromStdString(server.address), {}}),
      toolBar(*delegate.window()->mainView()->toolBar()),
      deck(*delegate.window()->mainView()->workspace()->deck()),
      desktop(*delegate.window()->mainView()->workspace()->desktop()) {
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    client::LoginWindowController& login = *delegate.loginWindow();
    login.findChild<QLineEdit*>("serverPort")->setText(QString::number(server.port));
    QTest::keyClicks(login.findChild<QLineEdit*>("userName"), admin);
    // Checking the box clears the game name and moves the focus there.
    login.findChild<QCheckBox*>("adminCheckBox")->setChecked(true);
    QTest::keyClicks(login.findChild<QLineEdit*>("gameName"), game);
    login.okDidClick();
}

bool TableDriver::startDeal(const QString& title) {
    // The previous deal's title dialog is released a moment after it closed.
    if (!waitUntil([this] { return toolBar.dealTitleViewController() == nullptr; }) ||
        !press(ToolBar::initSegment) || toolBar.dealTitleViewController() == nullptr) {
        return false;
    }
    QTest::keyClicks(toolBar.dealTitleViewController()->gameTitle(), title);
    QTest::mouseClick(toolBar.dealTitleViewController()->acceptButton(), Qt::LeftButton);
    // The deal's own push takes the cards back; Play deals them out again.
    return waitUntil([this] { return !deck.canDrawCards(); }) && press(ToolBar::playSegment) &&
           waitUntil([this] { return deck.canDrawCards(); });
}

std::optional<QString> TableDriver::pickCard(std::size_t position) {
    client::CardStore& store = delegate.session().cardStore();
    deck.repaint();  // the deck records where each card shows as it draws
    const QRectF shown = store.cards().at(position).visibleRect().value_or(QRectF());
    QTest::mouseClick(&deck, Qt::LeftButton, {}, shown.center().toPoint());
    // The pick is sent once it has stood for the election delay.
    const bool sent =
        store.selectedPosition() == position && waitUntil([&] { return !store.canChange(); });
    return sent ? std::optional(store.cards().at(position).symbol()) : std::nullopt;
}

bool TableDriver::openCards() {
    return press(ToolBar::openSegment) && waitUntil([this] { return desktop.isOpened(); });
}

bool TableDriver::quitsWithin(std::chrono::milliseconds limit) {
    QObject timers;  // the fallback goes with it once the loop has ended
    QTimer::singleShot(0, &timers, [this] { delegate.applicationShouldTerminate(); });
    QTimer::singleShot(limit, &timers, [] { QCoreApplication::exit(1); });
    return QCoreApplication::exec() == 0;
}

bool TableDriver::press(ToolBar::Segment segment) {
    client::SegmentedControl& segments = *toolBar.segmentedControl();
    if (!waitUntil([&] { return segments.isVisible() && segments.isSegmentEnabled(segment); })) {
        return false;
    }
    QTest::mouseClick(segments.segment(segment), Qt::LeftButton);
    return true;
}

}  // namespace tarvendo::test
