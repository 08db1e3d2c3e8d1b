// One admin and 23 bots play 200 deals against a real tarvendo-server
// process; reports how long openCards takes to reach all 24 client servers
// and the server's peak memory. Arguments for Google Benchmark binaries
// (scripts/run-benchmarks passes some) are ignored: this is one fixed run.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

#include "ChildProcess.h"
#include "DealDriver.h"
#include "Team.h"

namespace {

using namespace tarvendo::bot;
using namespace std::chrono_literals;

constexpr int kPlayers = 24;
constexpr int kDeals = 200;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

int run() {
    const std::unique_ptr<ChildProcess> server =
        ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"});
    const std::optional<int> port = server ? listeningPort(*server, 10s) : std::nullopt;
    if (!port) {
        std::fprintf(stderr, "server_open_latency: the server did not start\n");
        return 1;
    }
    BotOptions options;
    options.server = {"127.0.0.1", *port};
    options.players = kPlayers;
    options.clientPortBase = 0;
    options.think = 0ms;
    options.admin = true;
    Team team(options);
    if (const std::optional<std::string> problem = team.join()) {
        std::fprintf(stderr, "server_open_latency: %s\n", problem->c_str());
        return 1;
    }
    const DealReport report =
        DealDriver(*team.admin(), team.players(), [] { return false; }).run(kDeals);
    const std::optional<long> peakKiB = server->peakMemoryKiB();
    team.leave();
    server->signal(SIGTERM);
    server->waitForExit(10s);
    if (!report.problem.empty()) {
        std::fprintf(stderr, "server_open_latency: %s\n", report.problem.c_str());
        return 1;
    }
    std::printf("%-44s %12s\n", "openCards to all 24 client servers", "value");
    std::printf("%-44s %12d\n", "deals", report.completed);
    std::printf("%-44s %9.3f ms\n", "median", milliseconds(percentile(report.openLatencies, 0.5)));
    std::printf("%-44s %9.3f ms\n", "99th percentile",
                milliseconds(percentile(report.openLatencies, 0.99)));
    std::printf("%-44s %9ld KiB\n", "server peak memory (VmHWM)", peakKiB.value_or(-1));
    return 0;
}

}  // namespace

int main() {
    return run();
}
