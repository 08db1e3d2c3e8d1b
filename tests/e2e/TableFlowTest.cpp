#include <QMainWindow>
#include <QPixmap>

#include "LiveTable.h"
#include "MainWindow.h"

namespace tarvendo::e2e {
namespace {

using client::CardStatus;

class TableFlowTest : public LiveTable {};

// One deal with five bots: Init, Play, every player elects a card, Open,
// and the table shows every card face up.
TEST_F(TableFlowTest, OpenedTableShowsEveryPlayersCard) {
    ASSERT_NO_FATAL_FAILURE(seatBots(5));
    ASSERT_NO_FATAL_FAILURE(startDeal("Login page"));
    for (const client::Desktop::Seat& seat : seats()) {
        EXPECT_EQ(seat.card.symbol(), "#") << seat.playerName << " before anyone elected";
    }
    const QString picked = pickCard(5);
    ASSERT_EQ(picked, "5");
    ASSERT_NO_FATAL_FAILURE(openCards());

    const std::vector<client::Desktop::Seat> open = seats();
    ASSERT_EQ(open.size(), 6U);
    std::vector<std::string> names;
    for (const client::Desktop::Seat& seat : open) {
        names.push_back(seat.playerName);
        EXPECT_TRUE(isDeckSymbol(seat.card.symbol()))
            << seat.playerName << " shows " << seat.card.symbol().toStdString();
        EXPECT_EQ(seat.card.status(), CardStatus::none) << seat.playerName;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Ann", "Bot1", "Bot2", "Bot3", "Bot4", "Bot5"}));
    EXPECT_EQ(open.front().card.symbol(), picked) << "the admin's own card";

    // The picture of the open table, for people to look at.
    delegate_->window()->resize(1008, 720);
    const QString picture = QStringLiteral(TARVENDO_E2E_OUTPUT_DIR "/open-table.png");
    EXPECT_TRUE(delegate_->window()->grab().save(picture)) << picture.toStdString();
}

}  // namespace
}  // namespace tarvendo::e2e
