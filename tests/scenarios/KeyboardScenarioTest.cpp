#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "support/ChildProcess.h"
#include "support/CsvReader.h"
#include "support/Loopback.h"
#include "support/Programs.h"
#include "support/Waiting.h"

namespace tarvendo::test {
namespace {

constexpr auto kStep = 20s;  // far above any step's time on a loaded machine
const std::string kMainWindow = "Tarvendo Base  \\(Ann\\)";

std::size_t count(const std::string& log, const std::string& line) {
    std::size_t found = 0;
    for (std::size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        ++found;
    }
    return found;
}

// The display number Xvfb wrote on a line of its own, among its warnings.
std::optional<std::string> reportedDisplay(const std::string& output) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
            return ":" + line;
        }
    }
    return std::nullopt;
}

// An X server of its own on a display number nobody uses; absent without one.
std::unique_ptr<ChildProcess> startXServer(std::string& display) {
    auto xvfb = ChildProcess::start(
        "/usr/bin/Xvfb", {"-displayfd", "1", "-screen", "0", "1440x900x24", "-nolisten", "tcp"});
    std::optional<std::string> reported;
    const auto hasReported = [&] {
        reported = reportedDisplay(xvfb->output());
        return reported.has_value();
    };
    if (!xvfb || !eventually(hasReported, kStep)) {
        return nullptr;
    }
    display = *reported;
    return xvfb;
}

// The real client under Xvfb, played with xdotool's key presses alone, with
// two bots: the login form, three deals (Init, a title, Play, a card; Open
// by hand, then automatically), the export of the history, Quit.
class KeyboardScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists("/usr/bin/Xvfb") ||
            !std::filesystem::exists("/usr/bin/xdotool")) {
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/bootstrap)";
        }
        std::string display;
        xServer_ = startXServer(display);
        ASSERT_TRUE(xServer_) << "Xvfb did not start";
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("XDG_CONFIG_HOME", settings_.c_str(), 1);
        // The export dialog starts in the settings' folder.
        std::filesystem::create_directories(settings_ / "Tarvendo");
        std::ofstream(settings_ / "Tarvendo" / "Tarvendo Base.conf")
            << "[General]\nexportFolder=" << settings_.string() << "\n";
        server_ = startServerProgram();
        ASSERT_TRUE(server_.child);
        client_ = ChildProcess::start(TARVENDO_CLIENT_PROGRAM,
                                      {"--server-address", "127.0.0.1", "--client-port",
                                       std::to_string(makeListener().port)});
        ASSERT_TRUE(client_);
    }
    void TearDown() override {
        for (ChildProcess* child :
             {bots_.get(), client_.get(), server_.child.get(), xServer_.get()}) {
            if (child != nullptr) {
                child->signal(SIGTERM);
                child->waitForExit(kStep);
            }
        }
        std::filesystem::remove_all(settings_);
    }
    // xdotool with the arguments; true when it succeeded.
    static bool xdotool(const std::vector<std::string>& arguments) {
        auto tool = ChildProcess::start("/usr/bin/xdotool", arguments);
        return tool && tool->waitForExit(kStep) == 0;
    }
    // Gives the keyboard to the window whose title is exactly the name.
    static bool focusWindow(const std::string& title) {
        return xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$",
                        "windowfocus", "--sync"});
    }
    static bool keys(const std::vector<std::string>& names) {
        std::vector<std::string> arguments{"key", "--delay", "50"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        return xdotool(arguments);
    }
    static bool type(const std::string& text) { return xdotool({"type", "--delay", "50", text}); }
    // Waits until the game server's log holds the line that many times.
    bool serverSays(const std::string& line, std::size_t times) {
        return eventually([&] { return count(server_.child->output(), line) >= times; }, kStep);
    }
    // Init with the title, Play, then the keys that pick the admin's card.
    void playDeal(const std::string& title, const std::vector<std::string>& pick) {
        ASSERT_TRUE(focusWindow(kMainWindow) && keys({"ctrl+i"}));
        std::this_thread::sleep_for(1s);  // the title dialog takes the keyboard
        ASSERT_TRUE(type(title) && keys({"Return"}));
        ASSERT_TRUE(serverSays("initNewDeal \"Ann\" OK", ++deals_)) << server_.child->output();
        ASSERT_TRUE(focusWindow(kMainWindow) && keys({"ctrl+p"}));
        ASSERT_TRUE(serverSays("play \"Ann\" OK", deals_));
        ASSERT_TRUE(pick.size() == 1 ? type(pick.front()) : keys(pick));
        ASSERT_TRUE(serverSays("cardElected \"Ann\" OK", deals_)) << server_.child->output();
    }

    // The client's settings, apart from the user's.
    const std::filesystem::path settings_ =
        std::filesystem::temp_directory_path() / ("tarvendo-keys-" + std::to_string(::getpid()));
    std::unique_ptr<ChildProcess> xServer_;
    ServerProcess server_;
    std::unique_ptr<ChildProcess> client_;
    std::unique_ptr<ChildProcess> bots_;
    std::size_t deals_ = 0;
};

TEST_F(KeyboardScenarioTest, ThreeDealsByKeyboardThatOpenByThemselvesAndExport) {
    ASSERT_TRUE(focusWindow("Tarvendo Base")) << client_->output();
    // The form: name, (discovery), address, port, admin box, game name.
    ASSERT_TRUE(type("Ann") && keys({"Tab", "Tab", "Tab", "ctrl+a"}));
    ASSERT_TRUE(type(std::to_string(server_.address.port)) && keys({"Tab", "space"}));
    ASSERT_TRUE(type("Sprint") && keys({"Return"}));
    ASSERT_TRUE(focusWindow(kMainWindow)) << server_.child->output();
    bots_ = startBotProgram(server_.address, 2, {"--vote", "8", "--think-ms", "50"});
    ASSERT_TRUE(bots_ && bots_->waitForOutput("2 players logged in", kStep));

    // The ring from the end to the start and on to the 5; Ctrl+O opens.
    ASSERT_NO_FATAL_FAILURE(playDeal(
        "Login page", {"End", "Home", "Right", "Right", "Right", "Right", "Right", "space"}));
    std::this_thread::sleep_for(500ms);  // the readiness push reaches the client
    ASSERT_TRUE(keys({"ctrl+o"}) && serverSays("openCards \"Ann\" OK", 1));
    // Game > Open Automatically, then two deals that nobody opens by hand.
    ASSERT_TRUE(keys({"alt+g", "a"}));
    ASSERT_NO_FATAL_FAILURE(playDeal("=Search, \"fast\"", {"5"}));
    ASSERT_TRUE(serverSays("openCards \"Ann\" OK", 2)) << server_.child->output();
    ASSERT_NO_FATAL_FAILURE(playDeal("Export to PDF", {"5"}));
    ASSERT_TRUE(serverSays("openCards \"Ann\" OK", 3)) << server_.child->output();

    // File > Export History... starts in the folder used last; Return saves.
    ASSERT_TRUE(keys({"ctrl+e"}));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(keys({"Return"}));
    const std::string exported = (settings_ / "tarvendo-history.csv").string();
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(exported); }, kStep));
    const std::optional<CsvRows> rows = readCsvFile(exported);
    ASSERT_TRUE(rows && rows->size() == 4) << client_->output();
    EXPECT_EQ(rows->front(), (std::vector<std::string>{"time", "title", "average", "median",
                                                       "consensus", "Ann", "Bot1", "Bot2"}));
    const char* titles[] = {"Login page", "'=Search, \"fast\"", "Export to PDF"};
    for (std::size_t deal = 1; deal < rows->size(); ++deal) {
        const std::vector<std::string>& row = (*rows)[deal];
        EXPECT_EQ(row.at(1), titles[deal - 1]);
        EXPECT_EQ(std::vector<std::string>(row.begin() + 2, row.end()),
                  (std::vector<std::string>{"7", "8", "no", "5", "8", "8"}));
    }
    ASSERT_TRUE(focusWindow(kMainWindow) && keys({"ctrl+q"}));
    EXPECT_TRUE(serverSays("logout \"Ann\" OK", 1)) << server_.child->output();
    EXPECT_EQ(client_->waitForExit(kStep), 0) << client_->output();
}

}  // namespace
}  // namespace tarvendo::test
