#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <sstream>

#include "client/ClientSession.h"
#include "client/results/DealTracker.h"
#include "client/results/HistoryExport.h"
#include "client/results/HistoryPanel.h"
#include "client/results/ResultsChart.h"
#include "client/results/ResultsPanel.h"
#include "client/results/ResultsStrip.h"
#include "client/results/ResultsText.h"
#include "client/table/AutoOpen.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"
#include "support/CsvReader.h"
#include "support/ScriptedGameServer.h"
#include "support/qt/QtPrinters.h"
#include "support/qt/QtWaiting.h"

namespace tarvendo::client {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
using Players = std::vector<std::pair<std::string, std::string>>;

Texts split(const std::string& text, char separator) {
    Texts parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

TEST(DealStatisticsTest, OpenedCardsGiveTheStripsLines) {
    const struct {
        const char* symbols;  // every seated player's
        const char* lines;
    } rows[] = {
        {"½ 1 2 3 5 #",
         "5 of 6 cards shown|Average 2.3, median 2|Lowest ½, highest 5|"
         "Spread 4 steps|Suggested estimate 2|Most chosen ½, 1, 2, 3, 5"},
        {"3 5 5 ? ? ∞",
         "6 of 6 cards shown|Average 4.33, median 5|Lowest 3, highest 5|"
         "Spread 1 step|Suggested estimate 5|2 × ?, 1 × ∞|Most chosen 5, ?"},
        {"8 8 ?",
         "3 of 3 cards shown|Average 8, median 8|Lowest 8, highest 8|Spread 0 steps|"
         "Suggested estimate 8|1 × ?|Most chosen 8"},
        {"# #", "0 of 2 cards shown|No numeric card"},
        {"", "0 of 0 cards shown|No numeric card"},
        {"13",
         "1 of 1 cards shown|Average 13, median 13|Lowest 13, highest 13|Consensus|"
         "Suggested estimate 13|Most chosen 13"},
        {"? ∞ *", "2 of 3 cards shown|No numeric card|1 × ?, 1 × ∞|Most chosen ?, ∞"},
        {"0 ½",
         "2 of 2 cards shown|Average 0.25, median 0.25|Lowest 0, highest ½|Spread 1 step|"
         "Suggested estimate ½|Most chosen 0, ½"},
        {"13 20 40 1",
         "4 of 4 cards shown|Average 18.5, median 16.5|Lowest 1, highest 40|"
         "Spread 7 steps|Suggested estimate 20|Most chosen 1, 13, 20, 40"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.symbols);
        EXPECT_EQ(resultsLines(dealStatistics(split(row.symbols, ' '))), split(row.lines, '|'));
    }
}

UserInfo vote(const std::string& player, const std::string& symbol) {
    return UserInfo().setText("player_name", player).setText("symbol", symbol);
}

// The table of Ann, Ben and Cy with its results and history, fed as the
// client server feeds them.
class ResultsViewTest : public ::testing::Test {
protected:
    ResultsViewTest() {
        workspace_.resize(1008, 620);
        workspace_.show();
        seat();
    }
    void seat() {
        for (const char* player : {"Ann", "Ben", "Cy"}) {
            post(Event::playerDidAdd, UserInfo().setText("player_name", player));
        }
    }
    void post(Event event, UserInfo info = {}) { postAndRun(session_.center(), event, info); }
    void deal(const std::string& title, const std::vector<UserInfo>& votes, bool open = true) {
        post(Event::initNewDeal, UserInfo().setText("title", title));
        post(Event::play);
        for (const UserInfo& each : votes) {
            post(Event::cardElected, each);
        }
        if (open) {
            post(Event::openCards);
        }
    }
    ResultsPanel& panel() { return *workspace_.resultsPanel(); }
    const std::vector<DealRecord>& history() { return workspace_.dealTracker()->history().deals(); }

    ClientSession session_;
    Workspace workspace_{session_};
    HistoryPanel historyPanel_{*workspace_.dealTracker()};
};

TEST_F(ResultsViewTest, OpenCardsShowTheirResultsAndStayInTheHistory) {
    deal("Login", {vote("Ann", "5"), vote("Ben", "5")}, false);
    EXPECT_EQ(panel().chart(), nullptr) << "no chart before the cards first open";
    post(Event::openCards);
    ASSERT_TRUE(panel().isVisible() && panel().chart());
    EXPECT_TRUE(panel().strip()->text().startsWith("2 of 3 cards shown"));
    EXPECT_EQ(panel().chart()->highlighted(), QList<int>{5});
    post(Event::cardElected, vote("Cy", "8"));  // a late vote shows at once
    EXPECT_EQ(panel().chart()->counts(), (QList<qreal>{0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(panel().chart()->accessibleDescription(), "5: 2, 8: 1");
    EXPECT_EQ(history().back().players, (Players{{"Ann", "5"}, {"Ben", "5"}, {"Cy", "8"}}));

    // The next deal's push before the main thread has seen the opening.
    deal("Search", {vote("Ann", "8"), vote("Ben", "8"), vote("Cy", "8")}, false);
    postFromConnectionThread(session_.center(), Event::openCards);
    postFromConnectionThread(session_.center(), Event::initNewDeal,
                             UserInfo().setText("title", "Export"));
    runQueuedTasks();
    EXPECT_FALSE(panel().isVisible());
    ASSERT_EQ(history().size(), 2u);
    deal("Export", {vote("Ann", "2")});
    // A lost connection: the table is rebuilt and the deal replayed.
    post(Event::loginRenewed);
    seat();
    deal("Export", {vote("Ann", "3")});
    EXPECT_EQ(history().size(), 3u) << "a replayed deal is the same deal";
    deal("Export", {vote("Ann", "1")});
    ASSERT_EQ(history().size(), 4u) << "the same title without a loss is a new deal";

    QTreeWidget& list = *historyPanel_.list();
    ASSERT_EQ(list.topLevelItemCount(), 4);
    EXPECT_EQ(list.topLevelItem(0)->text(2), "Ann 1, Ben –, Cy –") << "the latest first";
    EXPECT_EQ(list.topLevelItem(1)->text(2), "Ann 3, Ben –, Cy –");
    const QStringList oldest{list.topLevelItem(3)->text(1), list.topLevelItem(3)->text(3),
                             list.topLevelItem(3)->text(4), list.topLevelItem(3)->text(5)};
    EXPECT_EQ(oldest, (QStringList{"Login", "6", "5", "No"}));
    EXPECT_EQ(list.topLevelItem(2)->text(5), "Yes");
}

TEST(ResultsStripTest, ALineTooLongForTheStripIsWholeInTheToolTip) {
    ResultsStrip strip;
    strip.setLines({"Consensus", "Most chosen 0, ½, 1, 2, 3, 5, 8, 13, 20, 40, ?, ∞"});
    strip.resize(strip.sizeHint());
    strip.show();
    EXPECT_TRUE(strip.toolTip().isEmpty());
    strip.resize(100, strip.height());
    EXPECT_EQ(strip.toolTip(), strip.text());
    EXPECT_EQ(strip.minimumSizeHint().width(), 0) << "it never widens the panel";
}

DealRecord recordOf(std::string title, Players players) {
    Texts symbols;
    std::transform(players.begin(), players.end(), std::back_inserter(symbols),
                   [](const auto& player) { return player.second; });
    return {0, "2024-05-06T10:11:12+02:00", std::move(title), std::move(players),
            dealStatistics(symbols)};
}

TEST(HistoryExportTest, HostileNamesAndTitlesSurviveTheRoundTrip) {
    const std::vector<DealRecord> deals{
        recordOf("=1+1", {{"=cmd|' /C calc'!A0", "5"}, {"Bob, Jr.", "½"}}),
        recordOf("Login, \"page\"\nline 2", {{"Bob, Jr.", "?"}, {"Quote \"Q\"", "#"}}),
        recordOf("@home", {{"Line\nbreak", "8"}, {"Anna", "8"}}),
    };
    const QTemporaryDir folder;
    const QString path = folder.filePath("history.csv");
    ASSERT_EQ(exportHistory(deals, path), std::nullopt);
    const std::string time = "2024-05-06T10:11:12+02:00";
    const CsvRows expected{
        {"time", "title", "average", "median", "consensus", "'=cmd|' /C calc'!A0", "Anna",
         "Bob, Jr.", "Line\nbreak", "Quote \"Q\""},
        {time, "'=1+1", "2.75", "2.75", "no", "5", "", "½", "", ""},
        {time, "Login, \"page\"\nline 2", "", "", "no", "", "", "?", "", ""},
        {time, "'@home", "8", "8", "yes", "", "8", "", "8", ""},
    };
    EXPECT_EQ(readCsvFile(path.toStdString()), expected);
    const QString next = folder.filePath("tarvendo-history.csv");
    EXPECT_EQ(suggestedExportPath(), next) << "the next export starts in that folder";
    EXPECT_NE(exportHistory(deals, folder.path() + "/missing/history.csv"), std::nullopt);
    EXPECT_EQ(suggestedExportPath(), next) << "a failed export is not remembered";
}

std::size_t openings(const ScriptedGameServer& server) {
    return std::size_t(std::ranges::count(server.sent(), std::string("openCards")));
}

TEST(AutoOpenTest, TheAdminsOptionOpensASecondAfterEveryoneHasChosen) {
    const struct {
        const char* what;
        bool ticked;
        void (*meanwhile)(ToolBar&, NotificationCenter&);  // within the pause
        std::size_t openedInThePause, openedAfterIt;
    } rows[] = {
        {"ticked", true, [](ToolBar&, NotificationCenter&) {}, 0, 1},
        {"not ticked", false, [](ToolBar&, NotificationCenter&) {}, 0, 0},
        {"opened by hand meanwhile", true,
         [](ToolBar& toolBar, NotificationCenter&) { toolBar.openDidClick(); }, 1, 1},
        // The cards shown at the opening, or a late vote, leave everyone with
        // a card again: the open deal is not opened twice.
        {"opened, then everyone has a card again", true,
         [](ToolBar&, NotificationCenter& center) {
             postFromConnectionThread(center, Event::openCards);
             postFromConnectionThread(center, Event::cardsReadyToOpen);
             runQueuedTasks();
         },
         0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedGameServer server;
        ClientSession session;
        session.connection().connect(server.address());
        ToolBar toolBar(session);
        toolBar.autoOpen()->checkBox()->setChecked(row.ticked);
        postAndRun(session.center(), Event::cardsReadyToOpen);
        row.meanwhile(toolBar, session.center());
        waitUntil([] { return false; }, AutoOpen::kPause - 300ms);
        EXPECT_EQ(openings(server), row.openedInThePause);
        waitUntil([] { return false; }, 1s);
        EXPECT_EQ(openings(server), row.openedAfterIt);
        EXPECT_EQ(ToolBar(session).autoOpen()->isOn(), row.ticked) << "remembered";
    }
}

}  // namespace
}  // namespace tarvendo::client
