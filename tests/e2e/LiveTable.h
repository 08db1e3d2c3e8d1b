#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ClientTestSupport.h"
#include "client/app/AppDelegate.h"
#include "client/table/Desktop.h"
#include "client/table/ToolBar.h"
#include "support/ChildProcess.h"

namespace tarvendo::e2e {

// A game as a team plays it: a real tarvendo-server, this process's client
// logged in as the admin through its login window, and tarvendo-bot players
// in a process of their own. The client is driven through its widgets.
class LiveTable : public ::testing::Test {
protected:
    static constexpr const char* kAdminName = "Ann";
    static constexpr const char* kGameName = "Sprint 12";

    void SetUp() override;
    void TearDown() override;

    // Starts the bots and waits until the table shows them beside the admin.
    void seatBots(int count);
    // Init with the title, then Play: the deck shows the cards.
    void startDeal(const QString& title);
    // Clicks the card at the deck position and waits until the election is
    // sent; returns the card's symbol.
    QString pickCard(std::size_t position);
    // Waits until Open is enabled, presses it and waits for the open table.
    void openCards();
    // Asks the client to quit and waits until its logout has run.
    void quitClient();
    // Stops the bots and the server with SIGTERM; the server's whole log.
    std::string stopBotsAndServer();

    client::ToolBar& toolBar() const;
    client::Desktop& desktop() const;
    bool segmentEnabled(client::ToolBar::Segment segment) const;
    std::vector<client::Desktop::Seat> seats() const { return desktop().seats(); }

    std::unique_ptr<test::ChildProcess> server_;
    std::unique_ptr<test::ChildProcess> bots_;
    std::unique_ptr<client::AppDelegate> delegate_;
    int quits_ = 0;

private:
    void launchClient();
    void logInAsAdmin();
    void press(client::ToolBar::Segment segment) const;

    int serverPort_ = 0;
    test::AlertRecorder alerts_;
};

// The processes whose parent is this one, zombies included.
std::vector<int> childProcesses();
// The deck's symbols; a seat shows one of these once the cards are open.
bool isDeckSymbol(const QString& symbol);

}  // namespace tarvendo::e2e
