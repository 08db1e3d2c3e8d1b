// Runs the real tarvendo client on the offscreen platform against a real
// tarvendo-server, again and again: the time from starting the process until
// its login window is shown, and the client's peak memory once it is logged
// in as the admin and 23 bots have joined the table. A Qt plugin of this
// folder, loaded through QT_QPA_GENERIC_PLUGINS, fills in the login form and
// tells when the windows show and the desktop paints (login_driver/).
#include <sys/socket.h>

#include <netinet/in.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "bench/BenchResult.h"
#include "bot/Team.h"
#include "support/ChildProcess.h"

namespace {

using namespace tarvendo;
using namespace tarvendo::bench;
using namespace std::chrono_literals;

constexpr int kWarmUps = 1;  // the first run also fills the disk cache
constexpr int kRuns = 20;
constexpr int kBots = 23;
constexpr auto kStepLimit = 10s;
// The desktop has painted everyone once it stays quiet this long.
constexpr auto kQuiet = 300ms;
constexpr auto kPoll = 20ms;
constexpr const char* kGame = "Bench";

struct RunFigures {
    double startupMs = 0;
    double peakMiB = 0;
};

// The latest time the client's driver noted the mark, in steady-clock
// nanoseconds; absent before the first.
std::optional<long long> latestNote(const test::ChildProcess& client, const std::string& mark) {
    std::istringstream lines(client.output());
    std::optional<long long> latest;
    for (std::string line; std::getline(lines, line);) {
        const std::string prefix = "bench-driver " + mark + " ";
        if (line.rfind(prefix, 0) == 0) {
            latest = std::atoll(line.c_str() + prefix.size());
        }
    }
    return latest;
}

std::optional<long long> awaitNote(const test::ChildProcess& client, const std::string& mark) {
    const BenchClock::time_point deadline = BenchClock::now() + kStepLimit;
    while (BenchClock::now() < deadline) {
        if (const std::optional<long long> noted = latestNote(client, mark)) {
            return noted;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return std::nullopt;
}

// Waits until the desktop painted after `since` and then stayed quiet.
bool awaitQuietDesktop(const test::ChildProcess& client, BenchClock::time_point since) {
    const BenchClock::time_point deadline = BenchClock::now() + kStepLimit;
    while (BenchClock::now() < deadline) {
        const std::optional<long long> painted = latestNote(client, "desktop-painted");
        const BenchClock::time_point last{std::chrono::nanoseconds(painted.value_or(0))};
        if (painted && last > since && BenchClock::now() - last > kQuiet) {
            return true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

// A port the kernel just handed out and took back, for the client server.
int freePort() {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound =
        ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(descriptor);
    return bound ? ntohs(address.sin_port) : 0;
}

std::unique_ptr<test::ChildProcess> startServer(int& port) {
    auto server =
        test::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"});
    const std::optional<int> listening =
        server ? test::listeningPort(*server, kStepLimit) : std::nullopt;
    port = listening.value_or(0);
    return listening ? std::move(server) : nullptr;
}

void stop(test::ChildProcess& child) {
    child.signal(SIGTERM);
    child.waitForExit(kStepLimit);
}

// Starts the client and waits until it is logged in; why not, or empty.
std::string startAndLogIn(int serverPort, std::unique_ptr<test::ChildProcess>& client,
                          RunFigures& figures) {
    ::setenv("TARVENDO_BENCH_SERVER_PORT", std::to_string(serverPort).c_str(), 1);
    const BenchClock::time_point started = BenchClock::now();
    client = test::ChildProcess::start(
        TARVENDO_CLIENT_PROGRAM,
        {"--client-port", std::to_string(freePort()), "--server-address", "127.0.0.1"});
    const std::optional<long long> shown =
        client ? awaitNote(*client, "login-window-shown") : std::nullopt;
    if (!shown) {
        return "the login window never showed";
    }
    const long long startedNs = std::chrono::nanoseconds(started.time_since_epoch()).count();
    figures.startupMs = double(*shown - startedNs) / 1e6;
    return awaitNote(*client, "main-window-shown")
               ? ""
               : "the client did not log in:\n" + client->output();
}

// Seats 23 bots beside the client and reads its peak memory once the table
// is drawn; the bots leave on return. Why not, or empty.
std::string seatBots(int serverPort, const test::ChildProcess& client, RunFigures& figures) {
    bot::BotOptions options;
    options.server = {"127.0.0.1", serverPort};
    options.players = kBots;
    options.clientPortBase = 0;
    options.gameName = kGame;
    bot::Team team(options);
    const BenchClock::time_point joinStarted = BenchClock::now();
    if (const std::optional<std::string> problem = team.join()) {
        return *problem;
    }
    if (!awaitQuietDesktop(client, joinStarted)) {
        return "the desktop never painted the table";
    }
    figures.peakMiB = double(client.peakMemoryKiB().value_or(0)) / 1024;
    return {};
}

// One client from its start to a table of 24; why not, or empty.
std::string runOnce(RunFigures& figures) {
    int serverPort = 0;
    const std::unique_ptr<test::ChildProcess> server = startServer(serverPort);
    if (!server) {
        return "the server did not start";
    }
    std::unique_ptr<test::ChildProcess> client;
    std::string problem = startAndLogIn(serverPort, client, figures);
    if (problem.empty()) {
        problem = seatBots(serverPort, *client, figures);
    }
    if (client) {
        stop(*client);
    }
    stop(*server);
    return problem;
}

// The client's settings go to a folder of this run, removed afterwards.
std::filesystem::path prepareEnvironment() {
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("tarvendo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(config);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_PLUGIN_PATH", TARVENDO_BENCH_PLUGIN_PATH, 1);
    ::setenv("QT_QPA_GENERIC_PLUGINS", "tarvendo-bench-login", 1);
    ::setenv("TARVENDO_BENCH_PLAYER", "Ann", 1);
    ::setenv("TARVENDO_BENCH_GAME", kGame, 1);
    return config;
}

// Every run's figures after the warm-ups; why not, or empty.
std::string runAll(std::vector<double>& startups, std::vector<double>& peaks) {
    for (int run = 0; run < kWarmUps + kRuns; ++run) {
        RunFigures figures;
        if (std::string problem = runOnce(figures); !problem.empty()) {
            return problem;
        }
        if (run >= kWarmUps) {
            startups.push_back(figures.startupMs);
            peaks.push_back(figures.peakMiB);
        }
    }
    return {};
}

int run() {
    const std::filesystem::path config = prepareEnvironment();
    std::vector<double> startups;
    std::vector<double> peaks;
    const std::string problem = runAll(startups, peaks);
    std::filesystem::remove_all(config);
    if (!problem.empty()) {
        std::fprintf(stderr, "client_login: %s\n", problem.c_str());
        return 1;
    }
    printResult("client start-up to the login window", startups, {400, "ms"});
    printResult("client peak memory, logged in, 24 players", peaks, {80, "MiB"});
    return 0;
}

}  // namespace

int main() {
    return run();
}
