#include "LiveTable.h"
#include "client/app/MainWindow.h"

namespace tarvendo::e2e {
namespace {

using client::CardStatus;

std::size_t count(const std::string& log, const std::string& line) {
    std::size_t found = 0;
    for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        ++found;
    }
    return found;
}

class TableFlowTest : public LiveTable {
protected:
    // After Open every seat shows a face-up card of the deck.
    void expectEveryCardFaceUp() {
        for (const client::Desktop::Seat& seat : seats()) {
            EXPECT_TRUE(isDeckSymbol(seat.card.symbol()))
                << seat.playerName << " shows " << seat.card.symbol().toStdString();
            EXPECT_EQ(seat.card.status(), CardStatus::none) << seat.playerName;
        }
    }
};

// What make demo shows one person: the admin and four bots play three whole
// deals (Init, Play, every player elects a card, Open), then everyone leaves
// and nothing is left running.
TEST_F(TableFlowTest, ThreeDealsThenEveryoneLogsOutAndNoProcessIsLeft) {
    ASSERT_NO_FATAL_FAILURE(seatBots(4));
    const std::vector<std::pair<QString, std::size_t>> deals{
        {"Login page", 5}, {"Search box", 0}, {"Export to PDF", 11}};
    for (const auto& [title, position] : deals) {
        SCOPED_TRACE(title.toStdString());
        ASSERT_NO_FATAL_FAILURE(startDeal(title));
        for (const client::Desktop::Seat& seat : seats()) {
            EXPECT_EQ(seat.card.symbol(), "#") << seat.playerName << " before anyone elected";
        }
        const QString picked = pickCard(position);
        ASSERT_NO_FATAL_FAILURE(openCards());
        expectEveryCardFaceUp();
        EXPECT_EQ(seats().front().card.symbol(), picked) << "the admin's own card";
    }
    std::vector<std::string> names;
    for (const client::Desktop::Seat& seat : seats()) {
        names.push_back(seat.playerName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Ann", "Bot1", "Bot2", "Bot3", "Bot4"}));

    // The picture of the open table, for people to look at.
    delegate_->window()->resize(1008, 720);
    const QString picture = QStringLiteral(TARVENDO_E2E_OUTPUT_DIR "/open-table.png");
    EXPECT_TRUE(delegate_->window()->grab().save(picture)) << picture.toStdString();

    quitClient();
    const std::string log = stopBotsAndServer();
    EXPECT_EQ(count(log, "openCards \"Ann\" OK"), deals.size()) << log;
    EXPECT_EQ(count(log, "cardElected \"Bot4\" OK"), deals.size()) << log;
    for (const char* player : {"Ann", "Bot1", "Bot2", "Bot3", "Bot4"}) {
        EXPECT_NE(log.find("logout \"" + std::string(player) + "\" OK"), std::string::npos)
            << player << "\n"
            << log;
    }
    EXPECT_NE(log.find(" stopping"), std::string::npos) << log;
    EXPECT_TRUE(childProcesses().empty()) << "children left: " << childProcesses().size();
}

}  // namespace
}  // namespace tarvendo::e2e
