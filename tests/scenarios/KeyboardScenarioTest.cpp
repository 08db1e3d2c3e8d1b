#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/Programs.h"
#include "support/Waiting.h"

namespace tarvendo::test {
namespace {

constexpr auto kStep = 20s;  // far above any step's time on a loaded machine

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

// The real client under Xvfb, played with xdotool's key presses alone: the
// login form, Init with a title, Play, a card, Open and Quit.
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
    bool serverSays(const std::string& line) { return server_.child->waitForOutput(line, kStep); }

    // The client's settings, apart from the user's.
    const std::filesystem::path settings_ =
        std::filesystem::temp_directory_path() / ("tarvendo-keys-" + std::to_string(::getpid()));
    std::unique_ptr<ChildProcess> xServer_;
    ServerProcess server_;
    std::unique_ptr<ChildProcess> client_;
    std::unique_ptr<ChildProcess> bots_;
};

TEST_F(KeyboardScenarioTest, AWholeDealWithoutTheMouse) {
    ASSERT_TRUE(focusWindow("Tarvendo Base")) << client_->output();
    // The form: name, (discovery), address, port, admin box, game name.
    ASSERT_TRUE(type("Ann"));
    ASSERT_TRUE(keys({"Tab", "Tab", "Tab", "ctrl+a"}));
    ASSERT_TRUE(type(std::to_string(server_.address.port)));
    ASSERT_TRUE(keys({"Tab", "space"}));
    ASSERT_TRUE(type("Sprint"));
    ASSERT_TRUE(keys({"Return"}));
    ASSERT_TRUE(focusWindow("Tarvendo Base  \\(Ann\\)")) << server_.child->output();
    bots_ = startBotProgram(server_.address, 2, {"--vote", "3", "--think-ms", "50"});
    ASSERT_TRUE(bots_ && bots_->waitForOutput("2 players logged in", kStep));

    ASSERT_TRUE(keys({"ctrl+i"}));
    std::this_thread::sleep_for(1s);  // the title dialog takes the keyboard
    ASSERT_TRUE(type("Login page"));
    ASSERT_TRUE(keys({"Return"}));
    ASSERT_TRUE(serverSays("initNewDeal \"Ann\" OK")) << server_.child->output();
    ASSERT_TRUE(focusWindow("Tarvendo Base  \\(Ann\\)"));
    ASSERT_TRUE(keys({"ctrl+p"}));
    ASSERT_TRUE(serverSays("play \"Ann\" OK")) << server_.child->output();
    // The deck has the keyboard now: the ring to the 5, then pick it.
    ASSERT_TRUE(keys({"End", "Home", "Right", "Right", "Right", "Right", "Right", "space"}));
    ASSERT_TRUE(serverSays("cardElected \"Ann\" OK")) << server_.child->output();
    ASSERT_TRUE(serverSays("cardElected \"Bot2\" OK")) << server_.child->output();
    std::this_thread::sleep_for(500ms);  // the readiness push reaches the client
    ASSERT_TRUE(keys({"ctrl+o"}));
    ASSERT_TRUE(serverSays("openCards \"Ann\" OK")) << server_.child->output();
    ASSERT_TRUE(keys({"ctrl+q"}));
    EXPECT_TRUE(serverSays("logout \"Ann\" OK")) << server_.child->output();
    EXPECT_EQ(client_->waitForExit(kStep), 0) << client_->output();
    EXPECT_NE(server_.child->output().find("cardElected \"Ann\" OK"), std::string::npos);
}

}  // namespace
}  // namespace tarvendo::test
