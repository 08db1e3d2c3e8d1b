// One admin and 23 bots play 200 deals against a real tarvendo-server
// process, on a fresh server each run, with and without a state file (every
// change committed and synced before it is answered); reports how long
// openCards takes to reach all 24 client servers and each server's peak
// memory. The bots run
// in this process, so their client servers share its two cores with the
// server, as a team's machines would not.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchResult.h"
#include "bot/DealDriver.h"
#include "bot/Team.h"
#include "support/ChildProcess.h"

namespace {

using namespace tarvendo::bot;
using namespace tarvendo::bench;
using tarvendo::test::ChildProcess;
using tarvendo::test::listeningPort;
using namespace std::chrono_literals;

constexpr int kPlayers = 24;
constexpr int kDeals = 200;
constexpr int kRuns = 5;

struct Figures {
    std::vector<double> openMs;
    std::vector<double> serverPeakMiB;
};

BotOptions teamOptions(int serverPort) {
    BotOptions options;
    options.server = {"127.0.0.1", serverPort};
    options.players = kPlayers;
    options.clientPortBase = 0;
    options.think = 0ms;
    options.admin = true;
    return options;
}

// The deals of one team on one server; why not, or empty.
std::string playOnce(ChildProcess& server, int port, Figures& figures) {
    Team team(teamOptions(port));
    if (const std::optional<std::string> problem = team.join()) {
        return *problem;
    }
    const DealReport report =
        DealDriver(*team.admin(), team.players(), [] { return false; }).run(kDeals);
    figures.serverPeakMiB.push_back(double(server.peakMemoryKiB().value_or(0)) / 1024);
    for (const Clock::duration latency : report.openLatencies) {
        figures.openMs.push_back(milliseconds(latency));
    }
    team.leave();
    return report.problem;
}

std::string runOnce(Figures& figures, bool withState) {
    const std::string stateFile = "/tmp/tarvendo-bench-state.db";
    std::remove(stateFile.c_str());
    std::vector<std::string> arguments{"--port", "0", "--no-advertise"};
    if (withState) {
        arguments.insert(arguments.end(), {"--state", stateFile});
    }
    const std::unique_ptr<ChildProcess> server =
        ChildProcess::start(TARVENDO_SERVER_PROGRAM, arguments);
    const std::optional<int> port = server ? listeningPort(*server, 10s) : std::nullopt;
    if (!port) {
        return "the server did not start";
    }
    const std::string problem = playOnce(*server, *port, figures);
    server->signal(SIGTERM);
    server->waitForExit(10s);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((stateFile + suffix).c_str());
    }
    return problem;
}

bool measure(Figures& figures, bool withState) {
    for (int run = 0; run < kRuns; ++run) {
        if (const std::string problem = runOnce(figures, withState); !problem.empty()) {
            std::fprintf(stderr, "server_open_latency: %s\n", problem.c_str());
            return false;
        }
    }
    return true;
}

int run() {
    Figures plain;
    Figures stored;
    if (!measure(plain, false) || !measure(stored, true)) {
        return 1;
    }
    printResult("openCards fan-out to 24 client servers", plain.openMs, {1, "ms"});
    printResult("the same with --state (synced commits)", stored.openMs, {5, "ms"});
    printResult("server peak memory, 24 players, 200 deals", plain.serverPeakMiB, {10, "MiB"});
    return 0;
}

}  // namespace

int main() {
    return run();
}
