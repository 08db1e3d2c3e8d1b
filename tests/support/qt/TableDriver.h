#pragma once

#include <QString>

#include <chrono>
#include <optional>

#include "client/app/AppDelegate.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/ToolBar.h"
#include "support/qt/AlertRecorder.h"
#include "transport/Address.h"

namespace tarvendo::test {

// The client in this process, logging in as the admin of a game, driven
// through its widgets as a person drives it. It has no quit handler of its
// own: quitting ends the application's event loop. Each step waits at most
// five seconds and says in its result whether it got there.
class TableDriver {
public:
    TableDriver(const Address& server, const QString& admin, const QString& game);

    // Init with the title, then Play; true once the deck shows the cards.
    bool startDeal(const QString& title);
    // Clicks the card at the deck position; its symbol once it was sent.
    std::optional<QString> pickCard(std::size_t position);
    // Presses Open once every player has elected; true once the cards show.
    bool openCards();
    // Asks the client to quit; true when the event loop ends with status 0 in time.
    bool quitsWithin(std::chrono::milliseconds limit);

    const AlertRecorder alerts;  // first: alerts are recorded, not shown, from the start
    client::AppDelegate delegate;
    client::ToolBar& toolBar;
    client::Deck& deck;
    client::Desktop& desktop;

private:
    // Clicks the segment once it is enabled; false when it never is.
    bool press(client::ToolBar::Segment segment);
};

}  // namespace tarvendo::test
