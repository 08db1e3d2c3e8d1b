#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "Exchange.h"
#include "Loopback.h"
#include "Socket.h"

namespace tarvendo::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kProcessLimit = 60s;  // an install copies every program

// The build installed into a fresh prefix, once for every test here, as
// `cmake --install` does it for a user or a package.
class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "tarvendo-install-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        prefix_ = pattern;
        const auto install = bot::ChildProcess::start(
            CMAKE_COMMAND, {"--install", TARVENDO_BUILD_DIR, "--prefix", prefix_.string()});
        ASSERT_TRUE(install);
        ASSERT_EQ(install->waitForExit(kProcessLimit), 0) << install->output();
    }
    static void TearDownTestSuite() { fs::remove_all(prefix_); }

    void SetUp() override { ASSERT_TRUE(fs::is_directory(prefix_ / "bin")) << "installed"; }

    static fs::path installed(const fs::path& relative) { return prefix_ / relative; }

    static fs::path prefix_;
};

fs::path InstalledTree::prefix_;

class InstalledProgramTest : public InstalledTree {};

TEST_F(InstalledProgramTest, EveryProgramReportsTheProjectVersion) {
    const std::map<std::string, std::string> versions{
        {"tarvendo", "Tarvendo Base " TARVENDO_VERSION "\n"},
        {"tarvendo-server", "tarvendo-server " TARVENDO_VERSION "\n"},
        {"tarvendo-bot", "tarvendo-bot " TARVENDO_VERSION "\n"}};
    for (const auto& [program, version] : versions) {
        const auto child = bot::ChildProcess::start(installed("bin") / program, {"--version"});
        ASSERT_TRUE(child) << program;
        EXPECT_EQ(child->waitForExit(kProcessLimit), 0) << program;
        EXPECT_EQ(child->output(), version);
    }
}

// Started from its installed path the client finds its platform plugin and
// resources, launches and listens for pushes until a signal ends it.
TEST_F(InstalledProgramTest, ClientStartsOffscreenListensAndEndsOnSigterm) {
    const std::int32_t port = test::makeListener().port;  // free again once returned
    const auto client = bot::ChildProcess::start(
        installed("bin/tarvendo"),
        {"--client-port", std::to_string(port), "--server-address", "127.0.0.1"});
    ASSERT_TRUE(client);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    bool listening = false;
    while (!listening && std::chrono::steady_clock::now() < deadline) {
        const std::shared_ptr<Socket> probe = Socket::create();
        listening = probe && connectSocket(*probe, {"127.0.0.1", port});
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(listening) << client->output();
    EXPECT_FALSE(client->waitForExit(0ms).has_value()) << "still running";
    client->signal(SIGTERM);
    EXPECT_EQ(client->waitForExit(kProcessLimit), 128 + SIGTERM) << client->output();
}

class DesktopEntryTest : public InstalledTree {
protected:
    // The key=value lines of the entry's one group.
    static std::map<std::string, std::string> entry() {
        std::ifstream file(installed("share/applications/tarvendo.desktop"));
        std::map<std::string, std::string> values;
        std::string line;
        std::getline(file, line);
        EXPECT_EQ(line, "[Desktop Entry]");
        while (std::getline(file, line)) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos) {
                values[line.substr(0, equals)] = line.substr(equals + 1);
            }
        }
        return values;
    }
};

TEST_F(DesktopEntryTest, ExecNamesTheInstalledClient) {
    std::map<std::string, std::string> values = entry();
    EXPECT_EQ(values["Name"], "Tarvendo Base");
    EXPECT_EQ(values["Categories"], "Game;CardGame;Qt;");
    std::istringstream command(values["Exec"]);
    std::string program;
    ASSERT_TRUE(command >> program) << "Exec names a program";
    const fs::path executable = installed("bin") / program;
    ASSERT_EQ(::access(executable.c_str(), X_OK), 0) << executable;
    EXPECT_EQ(fs::canonical(executable), fs::canonical(installed("bin/tarvendo")));
}

TEST_F(DesktopEntryTest, IconIsInstalledInEveryThemeSize) {
    const std::string icon = entry()["Icon"];
    ASSERT_EQ(icon, "tarvendo");
    for (const int size : {48, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const QImage image(QString::fromStdString(
            installed("share/icons/hicolor/" + folder + "/apps/" + icon + ".png").string()));
        EXPECT_EQ(image.size(), QSize(size, size)) << folder;
        EXPECT_TRUE(image.hasAlphaChannel()) << folder;
    }
    const QImage scalable(QString::fromStdString(
        installed("share/icons/hicolor/scalable/apps/" + icon + ".svg").string()));
    EXPECT_EQ(scalable.size(), QSize(256, 256)) << "the SVG loads";
}

TEST_F(DesktopEntryTest, EntryPassesTheFreedesktopValidator) {
    const char* validator = "/usr/bin/desktop-file-validate";
    if (::access(validator, X_OK) != 0) {
        GTEST_SKIP() << "desktop-file-utils is not installed (scripts/bootstrap installs it)";
    }
    const auto check = bot::ChildProcess::start(
        validator, {installed("share/applications/tarvendo.desktop").string()});
    ASSERT_TRUE(check);
    EXPECT_EQ(check->waitForExit(kProcessLimit), 0) << check->output();
    EXPECT_EQ(check->output(), "");
}

// The package `make package` builds, read back with dpkg-deb.
class DebianPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarvendo-package-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        const auto cpack = bot::ChildProcess::start(
            CPACK_COMMAND, {"-G", "DEB", "--config", TARVENDO_BUILD_DIR "/CPackConfig.cmake", "-B",
                            folder_.string()});
        ASSERT_TRUE(cpack);
        ASSERT_EQ(cpack->waitForExit(kProcessLimit), 0) << cpack->output();
        package_ = folder_ / ("tarvendo_" TARVENDO_VERSION "_" + architecture() + ".deb");
        ASSERT_TRUE(fs::exists(package_)) << cpack->output();
    }
    void TearDown() override { fs::remove_all(folder_); }

    static std::string dpkg(const std::vector<std::string>& arguments) {
        const auto child = bot::ChildProcess::start("/usr/bin/dpkg", arguments);
        EXPECT_TRUE(child);
        EXPECT_EQ(child->waitForExit(kProcessLimit), 0) << child->output();
        return child->output();
    }
    static std::string architecture() {
        const std::string printed = dpkg({"--print-architecture"});
        return printed.substr(0, printed.find('\n'));
    }

    fs::path folder_;
    fs::path package_;
};

TEST_F(DebianPackageTest, HoldsTheProgramsTheMenuEntryAndTheIcon) {
    const std::string contents = dpkg({"--contents", package_.string()});
    for (const char* file : {"./usr/bin/tarvendo", "./usr/bin/tarvendo-server",
                             "./usr/bin/tarvendo-bot", "./usr/share/applications/tarvendo.desktop",
                             "./usr/share/icons/hicolor/48x48/apps/tarvendo.png",
                             "./usr/share/icons/hicolor/scalable/apps/tarvendo.svg"}) {
        EXPECT_NE(contents.find(std::string(file) + "\n"), std::string::npos) << file << contents;
    }
    const std::string depends = dpkg({"--field", package_.string(), "Depends"});
    for (const char* package : {"libqt6widgets6", "libavahi-client3", "qt6-qpa-plugins"}) {
        EXPECT_NE(depends.find(package), std::string::npos) << package << ": " << depends;
    }
}

}  // namespace
}  // namespace tarvendo::e2e
