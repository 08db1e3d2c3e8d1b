#include "LiveTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/app/MainWindow.h"
#include "client/login/LoginWindowController.h"
#include "client/table/CardStore.h"
#include "client/table/Deck.h"
#include "client/table/MainView.h"
#include "client/table/SegmentedControl.h"
#include "client/table/Workspace.h"
#include "session/Shared.h"

namespace tarvendo::e2e {

namespace {

using namespace std::chrono_literals;
using client::ToolBar;
using test::waitUntil;

constexpr int kStepMs = 10'000;  // far above any step's time on a loaded machine
constexpr auto kProcessLimit = 10s;

// A port the kernel just handed out and took back: free for the client server.
std::int32_t freePort() {
    return test::makeListener().port;
}

client::CardStore& cardStore() {
    return client::CardStore::shared();
}

}  // namespace

void LiveTable::SetUp() {
    Shared::reset();
    server_ = test::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"});
    ASSERT_TRUE(server_);
    const std::optional<int> port = test::listeningPort(*server_, kProcessLimit);
    ASSERT_TRUE(port) << server_->output();
    serverPort_ = *port;
    launchClient();
    logInAsAdmin();
}

void LiveTable::TearDown() {
    if (delegate_ && quits_ == 0) {
        quitClient();
    }
    delegate_.reset();
    stopBotsAndServer();
    for (const test::AlertRecorder::Alert& alert : alerts_.alerts()) {
        ADD_FAILURE() << "alert: " << alert.message.toStdString() << " "
                      << alert.informative.toStdString();
    }
    Shared::reset();
}

void LiveTable::launchClient() {
    delegate_ = std::make_unique<client::AppDelegate>(
        client::AppOptions{freePort(), QStringLiteral("127.0.0.1"), [this] {
                               ++quits_;
                           }});
    delegate_->applicationWillFinishLaunching();
    delegate_->applicationDidFinishLaunching();
    ASSERT_TRUE(waitUntil([this] { return delegate_->loginWindow()->isVisible(); }));
}

void LiveTable::logInAsAdmin() {
    client::LoginWindowController& login = *delegate_->loginWindow();
    const auto field = [&login](const char* name) {
        return login.findChild<QLineEdit*>(name);
    };
    ASSERT_EQ(field("serverAddress")->text(), "127.0.0.1") << "offered by the command line";
    field("serverPort")->setText(QString::number(serverPort_));
    QTest::keyClicks(field("userName"), kAdminName);
    // Checking the box clears the game name and moves the focus there.
    login.findChild<QCheckBox*>("adminCheckBox")->setChecked(true);
    QTest::keyClicks(field("gameName"), kGameName);
    login.okDidClick();
    ASSERT_TRUE(waitUntil([this] { return delegate_->window()->isVisible(); }, kStepMs))
        << server_->output();
    EXPECT_FALSE(login.isVisible());
    EXPECT_TRUE(waitUntil([this] { return toolBar().isVisible(); })) << "the admin's toolbar";
}

client::ToolBar& LiveTable::toolBar() const {
    return *delegate_->window()->mainView()->toolBar();
}

client::Desktop& LiveTable::desktop() const {
    return *delegate_->window()->mainView()->workspace()->desktop();
}

bool LiveTable::segmentEnabled(ToolBar::Segment segment) const {
    return toolBar().segmentedControl()->isSegmentEnabled(segment);
}

void LiveTable::press(ToolBar::Segment segment) const {
    QTest::mouseClick(toolBar().segmentedControl()->segment(segment), Qt::LeftButton);
}

void LiveTable::seatBots(int count) {
    bots_ = test::ChildProcess::start(
        TARVENDO_BOT_PROGRAM,
        {"--server", "127.0.0.1:" + std::to_string(serverPort_), "--players", std::to_string(count),
         "--client-port-base", "0", "--think-ms", "50"});
    ASSERT_TRUE(bots_);
    ASSERT_TRUE(bots_->waitForOutput(std::to_string(count) + " players logged in", kProcessLimit))
        << bots_->output();
    const std::size_t players = std::size_t(count) + 1;
    ASSERT_TRUE(waitUntil([&] { return seats().size() == players; }, kStepMs))
        << "the table shows too few players\n"
        << server_->output();
}

void LiveTable::startDeal(const QString& title) {
    // The previous deal's title dialog is released a moment after it closed.
    ASSERT_TRUE(waitUntil([this] { return toolBar().dealTitleViewController() == nullptr; }));
    press(ToolBar::initSegment);
    client::CardDealTitle* dialog = toolBar().dealTitleViewController();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dialog->gameTitle(), title);
    QTest::mouseClick(dialog->acceptButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return segmentEnabled(ToolBar::playSegment); }, kStepMs));
    const QString dealLine = QStringLiteral("Game: %1, Deal: %2").arg(kGameName, title);
    EXPECT_TRUE(
        waitUntil([&] { return delegate_->window()->dealTitle()->text() == dealLine; }, kStepMs))
        << delegate_->window()->dealTitle()->text().toStdString();
    press(ToolBar::playSegment);
    client::Deck& deck = *delegate_->window()->mainView()->workspace()->deck();
    ASSERT_TRUE(waitUntil([&] { return deck.canDrawCards(); }, kStepMs));
    EXPECT_FALSE(segmentEnabled(ToolBar::playSegment));
    EXPECT_FALSE(desktop().isOpened());
}

QString LiveTable::pickCard(std::size_t position) {
    client::Deck& deck = *delegate_->window()->mainView()->workspace()->deck();
    deck.repaint();  // the deck records where each card shows as it draws
    const std::optional<QRectF> shown = cardStore().cards().at(position).visibleRect();
    if (!shown) {
        ADD_FAILURE() << "the deck did not draw card " << position;
        return {};
    }
    QTest::mouseClick(&deck, Qt::LeftButton, {}, shown->center().toPoint());
    EXPECT_EQ(cardStore().selectedPosition(), position);
    // The pick is sent once it has stood for the election delay.
    EXPECT_TRUE(waitUntil([] { return !cardStore().canChange(); }, kStepMs));
    return cardStore().cards().at(position).symbol();
}

void LiveTable::openCards() {
    ASSERT_TRUE(waitUntil([this] { return segmentEnabled(ToolBar::openSegment); }, kStepMs))
        << "every player has elected a card\n"
        << server_->output();
    press(ToolBar::openSegment);
    ASSERT_TRUE(waitUntil([this] { return desktop().isOpened(); }, kStepMs));
    EXPECT_FALSE(segmentEnabled(ToolBar::openSegment));
}

void LiveTable::quitClient() {
    delegate_->applicationShouldTerminate();
    EXPECT_TRUE(waitUntil([this] { return quits_ > 0; }, kStepMs)) << "the logout ran";
}

std::string LiveTable::stopBotsAndServer() {
    for (test::ChildProcess* child : {bots_.get(), server_.get()}) {
        if (child != nullptr) {
            child->signal(SIGTERM);
            EXPECT_EQ(child->waitForExit(kProcessLimit), 0) << child->output();
        }
    }
    return server_ ? server_->output() : std::string();
}

std::vector<int> childProcesses() {
    std::vector<int> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;  // not a process, or gone meanwhile
        }
        // After the name in parentheses: the state, then the parent's id.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        std::string state;
        int parent = 0;
        if (fields >> state >> parent && parent == ::getpid()) {
            children.push_back(std::stoi(entry.path().filename().string()));
        }
    }
    return children;
}

bool isDeckSymbol(const QString& symbol) {
    const std::vector<client::Card>& deck = cardStore().cards();
    return std::any_of(deck.begin(), deck.end(),
                       [&](const client::Card& card) { return card.symbol() == symbol; });
}

}  // namespace tarvendo::e2e
