#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "client/app/AppDelegate.h"
#include "client/app/MainWindow.h"
#include "client/login/LoginWindowController.h"
#include "client/results/DealTracker.h"
#include "client/results/HistoryExport.h"
#include "client/table/AutoOpen.h"
#include "client/table/CardDealTitle.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/MainView.h"
#include "client/table/ToolBar.h"
#include "client/table/Workspace.h"
#include "support/CsvReader.h"
#include "support/Loopback.h"
#include "support/Programs.h"
#include "support/qt/QtWaiting.h"

namespace tarvendo::client {
namespace {

using namespace test;

constexpr auto kStep = 15s;  // far above any step's time on a loaded machine

std::size_t count(const std::string& log, const std::string& line) {
    std::size_t found = 0;
    for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        ++found;
    }
    return found;
}

// The admin Ann in this process with the option to open automatically, and
// three bots that always choose 8, at a real game server.
class ResultsScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = startServerProgram();
        ASSERT_TRUE(server_.child);
        delegate_ = std::make_unique<AppDelegate>(
            AppOptions{makeListener().port, QStringLiteral("127.0.0.1"), [this] {
                           ++quits_;
                       }});
        delegate_->applicationWillFinishLaunching();
        delegate_->applicationDidFinishLaunching();
        logIn();
        bots_ = startBotProgram(server_.address, 3, {"--vote", "8", "--think-ms", "50"});
        ASSERT_TRUE(bots_);
        ASSERT_TRUE(waitUntil([this] { return desktop().table().players.size() == 4; }, kStep))
            << bots_->output();
    }
    void TearDown() override {
        if (delegate_) {
            delegate_->applicationShouldTerminate();
            EXPECT_TRUE(waitUntil([this] { return quits_ > 0; }, kStep));
        }
        for (ChildProcess* child : {bots_.get(), server_.child.get()}) {
            if (child != nullptr) {
                child->signal(SIGTERM);
                child->waitForExit(kStep);
            }
        }
    }
    void logIn() {
        LoginWindowController& login = *delegate_->loginWindow();
        const auto field = [&login](const char* name) {
            return login.findChild<QLineEdit*>(name);
        };
        field("serverPort")->setText(QString::number(server_.address.port));
        QTest::keyClicks(field("userName"), "Ann");
        login.findChild<QCheckBox*>("adminCheckBox")->setChecked(true);
        QTest::keyClicks(field("gameName"), "Sprint");
        login.okDidClick();
        ASSERT_TRUE(waitUntil([this] { return toolBar().isVisible(); }, kStep))
            << server_.child->output();
    }
    MainWindow& window() { return *delegate_->window(); }
    ToolBar& toolBar() { return *window().mainView()->toolBar(); }
    Desktop& desktop() { return *window().mainView()->workspace()->desktop(); }
    void playDeal(const QString& title) {
        ASSERT_TRUE(waitUntil([this] { return !toolBar().dealTitleViewController(); }));
        toolBar().action(ToolBar::initSegment)->trigger();
        CardDealTitle* dialog = toolBar().dealTitleViewController();
        ASSERT_NE(dialog, nullptr);
        dialog->gameTitle()->setText(title);
        dialog->acceptButtonDidClick();
        ASSERT_TRUE(waitUntil(
            [this] { return toolBar().action(ToolBar::playSegment)->isEnabled(); }, kStep));
        toolBar().action(ToolBar::playSegment)->trigger();
        Deck& deck = *window().mainView()->workspace()->deck();
        ASSERT_TRUE(waitUntil([&] { return deck.canDrawCards(); }, kStep));
        QTest::keyClicks(&deck, "5");
        // Nobody presses Open: the client opens by itself, as Open does.
        const DealTracker& tracker = *window().mainView()->workspace()->dealTracker();
        ASSERT_TRUE(waitUntil([&] { return tracker.openDeal().has_value(); }, kStep))
            << server_.child->output();
        EXPECT_TRUE(
            waitUntil([this] { return !toolBar().action(ToolBar::openSegment)->isEnabled(); }));
    }

    ServerProcess server_;
    std::unique_ptr<ChildProcess> bots_;
    std::unique_ptr<AppDelegate> delegate_;
    int quits_ = 0;
};

TEST_F(ResultsScenarioTest, ThreeDealsOpenByThemselvesAndExportAsCsv) {
    toolBar().autoOpen()->action()->setChecked(true);
    const QStringList titles{"Login page", "=Search, \"fast\"", "Export to PDF"};
    for (const QString& title : titles) {
        SCOPED_TRACE(title.toStdString());
        ASSERT_NO_FATAL_FAILURE(playDeal(title));
    }
    EXPECT_EQ(count(server_.child->output(), "openCards \"Ann\" OK"), 3u)
        << server_.child->output();
    // The open table with its results, for people to look at (under Xvfb:
    // the window at its default size).
    window().grab().save(QStringLiteral(TARVENDO_SCENARIO_OUTPUT_DIR "/open-table.png"));

    const QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath("history.csv");
    const auto& deals = window().mainView()->workspace()->dealTracker()->history().deals();
    ASSERT_EQ(exportHistory(deals, path), std::nullopt);
    const std::optional<CsvRows> rows = readCsvFile(path.toStdString());
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 4u);
    EXPECT_EQ(rows->front(),
              (std::vector<std::string>{"time", "title", "average", "median", "consensus", "Ann",
                                        "Bot1", "Bot2", "Bot3"}));
    const std::vector<std::string> exportedTitles{"Login page", "'=Search, \"fast\"",
                                                  "Export to PDF"};
    for (std::size_t deal = 0; deal < exportedTitles.size(); ++deal) {
        const std::vector<std::string>& row = (*rows)[deal + 1];
        SCOPED_TRACE(row.at(1));
        EXPECT_EQ(row.at(1), exportedTitles[deal]);
        EXPECT_EQ(std::vector<std::string>(row.begin() + 2, row.end()),
                  (std::vector<std::string>{"7.25", "8", "no", "5", "8", "8", "8"}));
    }
}

}  // namespace
}  // namespace tarvendo::client
