#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <csignal>

#include "LiveTable.h"
#include "client/app/ConnectionStatus.h"
#include "client/app/MainWindow.h"
#include "client/table/SegmentedControl.h"
#include "protocol/Exchange.h"

namespace tarvendo::fault {
namespace {

using namespace std::chrono_literals;
using client::ToolBar;
using test::waitUntil;

// The game server process dies in the middle of a deal, with SIGKILL: no
// goodbye, the system closes its sockets. The client learns of it at its
// next exchange, says so, and still quits cleanly.
class ServerKilledTest : public e2e::LiveTable {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(LiveTable::SetUp());
        ASSERT_NO_FATAL_FAILURE(seatBots(3));
        ASSERT_NO_FATAL_FAILURE(startDeal("Doomed"));
    }

    void killServer() {
        server_->signal(SIGKILL);
        ASSERT_EQ(server_->waitForExit(5s), 128 + SIGKILL);
        server_.reset();  // nothing left for the tear-down to stop
    }

    // Runs the step that makes an exchange; it must end within the exchange
    // time-out rather than hang the main thread.
    template <typename Step>
    void expectEndsInTime(Step step) {
        const auto started = std::chrono::steady_clock::now();
        step();
        EXPECT_LT(std::chrono::steady_clock::now() - started, kExchangeTimeout);
    }

    void expectLostConnectionShownAndCleanQuit() {
        const QLabel& status = *delegate_->window()->connectionStatus();
        EXPECT_TRUE(waitUntil([&] { return status.isVisible(); })) << "the status line shows";
        EXPECT_EQ(status.text(), client::ConnectionStatus::kLostText);
        delegate_->applicationShouldTerminate();
        // The logout finds no server: quitting must not wait long for it.
        EXPECT_TRUE(waitUntil([this] { return quits_ > 0; }, 5'000)) << "the client quit";
    }
};

TEST_F(ServerKilledTest, OpenPressedAfterTheServerDied) {
    pickCard(3);
    ASSERT_TRUE(waitUntil([this] { return segmentEnabled(ToolBar::openSegment); }, 10'000))
        << "every player has elected a card";
    ASSERT_NO_FATAL_FAILURE(killServer());
    expectEndsInTime([this] {
        QTest::mouseClick(toolBar().segmentedControl()->segment(ToolBar::openSegment),
                          Qt::LeftButton);
    });
    EXPECT_FALSE(desktop().isOpened());
    expectLostConnectionShownAndCleanQuit();
}

TEST_F(ServerKilledTest, CardElectionFiresAfterTheServerDied) {
    ASSERT_NO_FATAL_FAILURE(killServer());
    expectEndsInTime([this] { pickCard(7); });
    expectLostConnectionShownAndCleanQuit();
}

}  // namespace
}  // namespace tarvendo::fault
