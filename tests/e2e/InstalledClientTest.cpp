#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "protocol/Exchange.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "transport/Socket.h"

namespace tarvendo::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kProcessLimit = 60s;  // an install copies every program

// A new folder in the temporary directory, named after the pattern.
fs::path freshFolder(const char* pattern) {
    std::string path = (fs::temp_directory_path() / pattern).string();
    EXPECT_NE(::mkdtemp(path.data()), nullptr) << path;
    return path;
}

// Runs a program to its end; its output.
std::string run(const fs::path& program, const std::vector<std::string>& arguments) {
    const auto child = test::ChildProcess::start(program, arguments);
    EXPECT_TRUE(child) << program;
    if (!child) {
        return {};
    }
    EXPECT_EQ(child->waitForExit(kProcessLimit), 0) << program << "\n" << child->output();
    return child->output();
}

// The build installed into a fresh prefix, once for the tests here, as
// `cmake --install` does it for a user or a package.
class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = freshFolder("tarvendo-install-XXXXXX");
        run(CMAKE_COMMAND, {"--install", TARVENDO_BUILD_DIR, "--prefix", prefix_.string()});
    }
    static void TearDownTestSuite() { fs::remove_all(prefix_); }

    void SetUp() override { ASSERT_TRUE(fs::is_directory(prefix_ / "bin")) << "installed"; }

    static fs::path installed(const fs::path& relative) { return prefix_ / relative; }

    static fs::path prefix_;
};

fs::path InstalledTree::prefix_;

// Started from its installed path the client finds its platform plugin and
// resources, launches and listens for pushes until a signal ends it.
TEST_F(InstalledTree, ClientStartsOffscreenListensAndEndsOnSigterm) {
    const std::int32_t port = test::makeListener().port;  // free again once returned
    const auto client = test::ChildProcess::start(
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

// The key=value lines of the menu entry's one group.
std::map<std::string, std::string> desktopEntry(const fs::path& path) {
    std::ifstream file(path);
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

// The menu entry names the installed client and an icon installed in every
// theme size, and passes the freedesktop validator where it is installed.
TEST_F(InstalledTree, MenuEntryExecAndIconAreInstalled) {
    const fs::path entryPath = installed("share/applications/tarvendo.desktop");
    std::map<std::string, std::string> values = desktopEntry(entryPath);
    EXPECT_EQ(values["Name"], "Tarvendo Base");
    EXPECT_EQ(values["Categories"], "Game;CardGame;Qt;");
    std::istringstream command(values["Exec"]);
    std::string program;
    ASSERT_TRUE(command >> program) << "Exec names a program";
    const fs::path executable = installed("bin") / program;
    ASSERT_EQ(::access(executable.c_str(), X_OK), 0) << executable;
    EXPECT_EQ(fs::canonical(executable), fs::canonical(installed("bin/tarvendo")));

    ASSERT_EQ(values["Icon"], "tarvendo");
    const fs::path icons = installed("share/icons/hicolor");
    for (const int size : {48, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const QImage image(QString::fromStdString((icons / folder / "apps/tarvendo.png").string()));
        EXPECT_EQ(image.size(), QSize(size, size)) << folder;
        EXPECT_TRUE(image.hasAlphaChannel()) << folder;
    }
    const QImage scalable(QString::fromStdString((icons / "scalable/apps/tarvendo.svg").string()));
    EXPECT_EQ(scalable.size(), QSize(256, 256)) << "the SVG loads";

    const char* validator = "/usr/bin/desktop-file-validate";
    if (::access(validator, X_OK) != 0) {
        GTEST_SKIP() << "desktop-file-utils is not installed (scripts/bootstrap installs it)";
    }
    EXPECT_EQ(run(validator, {entryPath.string()}), "");
}

// The package `make package` builds, read back with dpkg.
TEST(DebianPackageTest, HoldsTheProgramsTheMenuEntryAndTheIcon) {
    const fs::path folder = freshFolder("tarvendo-package-XXXXXX");
    run(CPACK_COMMAND,
        {"-G", "DEB", "--config", TARVENDO_BUILD_DIR "/CPackConfig.cmake", "-B", folder.string()});
    const std::string architecture = run("/usr/bin/dpkg", {"--print-architecture"});
    const fs::path package = folder / ("tarvendo_" TARVENDO_VERSION "_" +
                                       architecture.substr(0, architecture.find('\n')) + ".deb");
    const std::string contents = run("/usr/bin/dpkg", {"--contents", package.string()});
    for (const char* file : {"./usr/bin/tarvendo", "./usr/bin/tarvendo-server",
                             "./usr/bin/tarvendo-bot", "./usr/share/applications/tarvendo.desktop",
                             "./usr/share/icons/hicolor/48x48/apps/tarvendo.png",
                             "./usr/share/icons/hicolor/scalable/apps/tarvendo.svg"}) {
        EXPECT_NE(contents.find(std::string(file) + "\n"), std::string::npos) << file << contents;
    }
    const std::string depends = run("/usr/bin/dpkg", {"--field", package.string(), "Depends"});
    for (const char* dependency : {"libqt6widgets6", "libavahi-client3", "qt6-qpa-plugins"}) {
        EXPECT_NE(depends.find(dependency), std::string::npos) << dependency << ": " << depends;
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tarvendo::e2e
