// tarvendo-bot: headless players for demos and load runs.
#include <cstdio>
#include <thread>

#include "bot/BotOptions.h"
#include "bot/DealDriver.h"
#include "bot/Team.h"
#include "program/StopSignal.h"
#include "transport/Diagnostics.h"

namespace {

using namespace tarvendo;
using namespace tarvendo::bot;

std::string milliseconds(Clock::duration duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms",
                  std::chrono::duration<double, std::milli>(duration).count());
    return text;
}

std::string describe(const DealReport& report) {
    std::string text = "deals completed: " + std::to_string(report.completed);
    if (!report.openLatencies.empty()) {
        text += "; openCards to every player: median " +
                milliseconds(percentile(report.openLatencies, 0.5)) + ", p99 " +
                milliseconds(percentile(report.openLatencies, 0.99));
    }
    if (!report.problem.empty()) {
        text += "\ndeals ended early: " + report.problem;
    }
    return text;
}

int runBots(const BotOptions& options) {
    StopSignal& stopSignal = StopSignal::install();
    Team team(options);
    if (const std::optional<std::string> problem = team.join()) {
        printLine("tarvendo-bot: " + *problem);
        team.leave();
        printLine(team.summary());
        return 1;
    }
    printLine("tarvendo-bot: " + std::to_string(options.players) + " players logged in");
    DealReport report;
    std::thread leading;
    if (BotPlayer* admin = team.admin(); admin != nullptr && options.deals > 0) {
        leading = std::thread([&, admin] {
            const auto stopRequested = [&] {
                return stopSignal.waitFor(std::chrono::milliseconds{0});
            };
            report = DealDriver(*admin, team.players(), stopRequested).run(options.deals);
            stopSignal.request();
        });
    }
    stopSignal.waitFor(options.duration);
    stopSignal.request();  // a time limit that ran out stops the deals too
    if (leading.joinable()) {
        leading.join();
        printLine(describe(report));
    }
    team.leave();
    printLine(team.summary());
    return report.problem.empty() || report.problem == "stopped" ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    return runCommand<BotOptions>(parseBotCommand(argumentsOf(argc, argv)), "tarvendo-bot",
                                  botUsage(), runBots);
}
