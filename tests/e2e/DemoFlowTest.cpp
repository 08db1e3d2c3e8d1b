#include "LiveTable.h"

namespace tarvendo::e2e {
namespace {

class DemoFlowTest : public LiveTable {
protected:
    static std::size_t count(const std::string& log, const std::string& line) {
        std::size_t found = 0;
        for (std::size_t at = log.find(line); at != std::string::npos;
             at = log.find(line, at + 1)) {
            ++found;
        }
        return found;
    }
};

// What make demo shows one person: the admin and four bots play three whole
// deals, then everyone leaves and nothing is left running.
TEST_F(DemoFlowTest, ThreeDealsThenEveryoneLogsOutAndNoProcessIsLeft) {
    ASSERT_NO_FATAL_FAILURE(seatBots(4));
    const std::vector<std::pair<QString, std::size_t>> deals{
        {"Login page", 3}, {"Search box", 0}, {"Export to PDF", 11}};
    for (const auto& [title, position] : deals) {
        ASSERT_NO_FATAL_FAILURE(startDeal(title));
        const QString picked = pickCard(position);
        ASSERT_NO_FATAL_FAILURE(openCards());
        EXPECT_EQ(seats().front().card.symbol(), picked) << title.toStdString();
    }

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
