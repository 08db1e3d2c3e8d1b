#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "client/results/DealHistory.h"
#include "client/results/DealTracker.h"
#include "client/results/HistoryExport.h"
#include "client/results/HistoryPanel.h"
#include "client/results/ResultsChart.h"
#include "client/results/ResultsPanel.h"
#include "client/results/ResultsText.h"
#include "client/table/AutoOpen.h"
#include "client/table/SegmentedControl.h"
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

struct StatisticsRow {
    const char* what;
    Texts symbols;  // every seated player's
    Texts lines;    // the results strip
};

TEST(DealStatisticsTest, OpenedCardsGiveTheStripsNumbers) {
    const StatisticsRow rows[] = {
        {"½ counts as 0.5; # is no card",
         {"½", "1", "2", "3", "5", "#"},
         {"5 of 6 cards shown", "Average 2.3, median 2", "Lowest ½, highest 5", "Spread 4 steps",
          "Suggested estimate 2", "Most chosen ½, 1, 2, 3, 5"}},
        {"? and ∞ are counted apart; a median between cards suggests the larger",
         {"3", "5", "5", "?", "?", "∞"},
         {"6 of 6 cards shown", "Average 4.33, median 5", "Lowest 3, highest 5", "Spread 1 step",
          "Suggested estimate 5", "2 × ?, 1 × ∞", "Most chosen 5, ?"}},
        {"every card the same",
         {"8", "8", "8"},
         {"3 of 3 cards shown", "Average 8, median 8", "Lowest 8, highest 8", "Consensus",
          "Suggested estimate 8", "Most chosen 8"}},
        {"the same numbers and a ? are no consensus",
         {"8", "8", "?"},
         {"3 of 3 cards shown", "Average 8, median 8", "Lowest 8, highest 8", "Spread 0 steps",
          "Suggested estimate 8", "1 × ?", "Most chosen 8"}},
        {"nobody chose", {"#", "#"}, {"0 of 2 cards shown", "No numeric card"}},
        {"nobody at the table", {}, {"0 of 0 cards shown", "No numeric card"}},
        {"one player",
         {"13"},
         {"1 of 1 cards shown", "Average 13, median 13", "Lowest 13, highest 13", "Consensus",
          "Suggested estimate 13", "Most chosen 13"}},
        {"no numeric card; a sealed card is not shown",
         {"?", "∞", "*"},
         {"2 of 3 cards shown", "No numeric card", "1 × ?, 1 × ∞", "Most chosen ?, ∞"}},
        {"a median halfway between 0 and ½",
         {"0", "½"},
         {"2 of 2 cards shown", "Average 0.25, median 0.25", "Lowest 0, highest ½", "Spread 1 step",
          "Suggested estimate ½", "Most chosen 0, ½"}},
        {"an even count takes the middle two",
         {"13", "20", "40", "1"},
         {"4 of 4 cards shown", "Average 18.5, median 16.5", "Lowest 1, highest 40",
          "Spread 7 steps", "Suggested estimate 20", "Most chosen 1, 13, 20, 40"}},
        {"a late vote joins the others",
         {"5", "3", "3"},
         {"3 of 3 cards shown", "Average 3.67, median 3", "Lowest 3, highest 5", "Spread 1 step",
          "Suggested estimate 3", "Most chosen 3"}},
    };
    for (const StatisticsRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(resultsLines(dealStatistics(row.symbols)), row.lines);
    }
}

UserInfo vote(const std::string& player, const std::string& symbol) {
    return UserInfo().setText("player_name", player).setText("symbol", symbol);
}

UserInfo titled(const std::string& title) {
    return UserInfo().setText("title", title);
}

// The table of Ann, Ben and Cy with its results and the history, fed as the
// client server feeds them.
class ResultsViewTest : public ::testing::Test {
protected:
    ResultsViewTest() {
        workspace_.resize(1008, 620);
        workspace_.show();
        for (const char* player : {"Ann", "Ben", "Cy"}) {
            post(Event::playerDidAdd, UserInfo().setText("player_name", player));
        }
    }
    void post(Event event, UserInfo info = {}) {
        postFromConnectionThread(session_.center(), event, std::move(info));
        runQueuedTasks();
    }
    // A deal from its start to the opening, with these votes.
    void openDeal(const std::string& title, const std::vector<UserInfo>& votes) {
        post(Event::initNewDeal, titled(title));
        post(Event::play);
        for (const UserInfo& each : votes) {
            post(Event::cardElected, each);
        }
        post(Event::openCards);
    }
    ResultsPanel& panel() { return *workspace_.resultsPanel(); }
    Texts historyTitles() {
        Texts titles;
        for (const DealRecord& deal : workspace_.dealTracker()->history().deals()) {
            titles.push_back(deal.title);
        }
        return titles;
    }

    ClientSession session_;
    Workspace workspace_{session_};
    HistoryPanel historyPanel_{*workspace_.dealTracker()};
};

TEST_F(ResultsViewTest, OpenCardsShowTheirResultsUntilTheNextDeal) {
    post(Event::initNewDeal, titled("Login page"));
    post(Event::play);
    post(Event::cardElected, vote("Ann", "5"));
    post(Event::cardElected, vote("Ben", "5"));
    EXPECT_FALSE(panel().isVisible()) << "nothing before the opening";
    EXPECT_EQ(panel().chart(), nullptr) << "the chart is made when first needed";

    post(Event::openCards);
    ASSERT_TRUE(panel().isVisible());
    ASSERT_NE(panel().chart(), nullptr);
    EXPECT_TRUE(panel().strip()->text().startsWith("2 of 3 cards shown"));
    EXPECT_EQ(panel().chart()->counts(), (QList<qreal>{0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(panel().chart()->highlighted(), QList<int>{5});
    EXPECT_EQ(panel().chart()->accessibleDescription(), "5: 2");

    // The game server takes a vote after the opening: it shows at once.
    post(Event::cardElected, vote("Cy", "8"));
    EXPECT_TRUE(panel().strip()->text().startsWith("3 of 3 cards shown"));
    EXPECT_EQ(panel().chart()->counts(), (QList<qreal>{0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(panel().chart()->accessibleDescription(), "5: 2, 8: 1");
    ASSERT_EQ(historyTitles(), Texts{"Login page"});
    EXPECT_EQ(
        workspace_.dealTracker()->history().deals().back().players,
        (std::vector<std::pair<std::string, std::string>>{{"Ann", "5"}, {"Ben", "5"}, {"Cy", "8"}}))
        << "the late vote is in the deal's record too";

    post(Event::initNewDeal, titled("Search box"));
    EXPECT_FALSE(panel().isVisible());
}

TEST_F(ResultsViewTest, TheHistoryKeepsEveryOpenedDealAcrossARenewedLogin) {
    // The next deal's push may come before the main thread has seen the
    // opening: the opened deal is recorded all the same.
    post(Event::initNewDeal, titled("Login page"));
    post(Event::play);
    for (const UserInfo& each : {vote("Ann", "3"), vote("Ben", "5"), vote("Cy", "5")}) {
        post(Event::cardElected, each);
    }
    postFromConnectionThread(session_.center(), Event::openCards);
    postFromConnectionThread(session_.center(), Event::initNewDeal, titled("Search box"));
    runQueuedTasks();
    ASSERT_EQ(historyTitles(), Texts{"Login page"});
    openDeal("Search box", {vote("Ann", "8"), vote("Ben", "8"), vote("Cy", "8")});
    // A lost connection: the table is rebuilt and the open deal replayed.
    post(Event::loginRenewed);
    for (const char* player : {"Ann", "Ben", "Cy"}) {
        post(Event::playerDidAdd, UserInfo().setText("player_name", player));
    }
    openDeal("Search box", {vote("Ann", "8"), vote("Ben", "8"), vote("Cy", "13")});
    EXPECT_EQ(historyTitles(), (Texts{"Login page", "Search box"})) << "the replay is no new deal";
    EXPECT_EQ(workspace_.dealTracker()->history().deals().back().players.back().second, "13");
    // The same title again, without a loss: a deal of its own.
    openDeal("Search box", {vote("Ann", "2")});
    EXPECT_EQ(historyTitles(), (Texts{"Login page", "Search box", "Search box"}));

    QTreeWidget& list = *historyPanel_.list();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->text(2), "Ann 2, Ben –, Cy –") << "the latest first";
    EXPECT_EQ(list.topLevelItem(2)->text(1), "Login page");
    EXPECT_EQ(list.topLevelItem(2)->text(3), "4.33") << "average";
    EXPECT_EQ(list.topLevelItem(1)->text(5), "No") << "8, 8 and 13 are no consensus";
}

DealRecord recordOf(std::string title, std::vector<std::pair<std::string, std::string>> players) {
    Texts symbols;
    for (const auto& player : players) {
        symbols.push_back(player.second);
    }
    return {0, "2024-05-06T10:11:12+02:00", std::move(title), std::move(players),
            dealStatistics(symbols)};
}

TEST(HistoryExportTest, HostileNamesAndTitlesSurviveTheRoundTrip) {
    const std::vector<DealRecord> deals{
        recordOf("=1+1", {{"=cmd|' /C calc'!A0", "5"}, {"Bob, Jr.", "½"}}),
        recordOf("Login, \"page\"\nsecond line", {{"Bob, Jr.", "?"}, {"Quote \"Q\"", "#"}}),
        recordOf("@home", {{"Line\nbreak", "8"}, {"Anna", "8"}}),
    };
    const QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath("history.csv");
    ASSERT_EQ(exportHistory(deals, path), std::nullopt);
    const std::optional<CsvRows> rows = readCsvFile(path.toStdString());
    ASSERT_TRUE(rows);
    const CsvRows expected{
        {"time", "title", "average", "median", "consensus", "'=cmd|' /C calc'!A0", "Anna",
         "Bob, Jr.", "Line\nbreak", "Quote \"Q\""},
        {"2024-05-06T10:11:12+02:00", "'=1+1", "2.75", "2.75", "no", "5", "", "½", "", ""},
        {"2024-05-06T10:11:12+02:00", "Login, \"page\"\nsecond line", "", "", "no", "", "", "?", "",
         ""},
        {"2024-05-06T10:11:12+02:00", "'@home", "8", "8", "yes", "", "8", "", "8", ""},
    };
    EXPECT_EQ(*rows, expected);
    EXPECT_EQ(suggestedExportPath(), QDir(folder.path()).filePath("tarvendo-history.csv"))
        << "the next export starts in the same folder";

    const QString nowhere = QDir(folder.path()).filePath("missing/history.csv");
    EXPECT_NE(exportHistory(deals, nowhere), std::nullopt) << "a folder that does not exist";
    EXPECT_EQ(suggestedExportPath(), QDir(folder.path()).filePath("tarvendo-history.csv"));
}

TEST(ToolBarOpenTest, OpenStaysOffOnceTheCardsAreOpen) {
    ClientSession session;
    ToolBar toolBar(session);
    const auto post = [&](Event event) {
        postFromConnectionThread(session.center(), event);
        runQueuedTasks();
        return toolBar.segmentedControl()->isSegmentEnabled(ToolBar::openSegment);
    };
    EXPECT_TRUE(post(Event::cardsReadyToOpen));
    EXPECT_FALSE(post(Event::openCards));
    // The cards shown at the opening, or a late vote, leave everyone with a card.
    EXPECT_FALSE(post(Event::cardsReadyToOpen));
    EXPECT_FALSE(post(Event::initNewDeal));
    EXPECT_TRUE(post(Event::cardsReadyToOpen));
}

struct AutoOpenRow {
    const char* what;
    bool ticked;
    // Run within the pause, after everyone has chosen.
    std::function<void(ToolBar&)> meanwhile;
    std::size_t openedWithinThePause;  // openCards requests sent
    std::size_t openedAfterIt;
};

std::size_t openings(const ScriptedGameServer& server) {
    const std::vector<Request> requests = server.requests();
    return std::size_t(std::count_if(requests.begin(), requests.end(), [](const Request& request) {
        return request.request == RequestCode::openCards;
    }));
}

TEST(AutoOpenTest, TheAdminsOptionOpensASecondAfterEveryoneHasChosen) {
    const auto nothing = [](ToolBar&) {
    };
    const AutoOpenRow rows[] = {
        {"ticked", true, nothing, 0, 1},
        {"not ticked", false, nothing, 0, 0},
        {"a new deal meanwhile", true,
         [](ToolBar& toolBar) {
             toolBar.cardDealTitleDidAccept(Json{{"title", "Next"}});
         },
         0, 0},
        {"opened by hand meanwhile", true, [](ToolBar& toolBar) { toolBar.openDidClick(); }, 1, 1},
    };
    for (const AutoOpenRow& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedGameServer server;
        ClientSession session;
        session.connection().connect(server.address());
        ToolBar toolBar(session);
        toolBar.autoOpen()->checkBox()->setChecked(row.ticked);
        postFromConnectionThread(session.center(), Event::cardsReadyToOpen);
        runQueuedTasks();
        row.meanwhile(toolBar);
        waitUntil([] { return false; }, AutoOpen::kPause - 300ms);
        EXPECT_EQ(openings(server), row.openedWithinThePause);
        waitUntil([] { return false; }, 600ms);
        EXPECT_EQ(openings(server), row.openedAfterIt);
        EXPECT_EQ(ToolBar(session).autoOpen()->isOn(), row.ticked) << "remembered";
    }
}

}  // namespace
}  // namespace tarvendo::client
