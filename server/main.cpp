// tarvendo-server: hosts one game on a TCP port until SIGINT or SIGTERM.
#include <iostream>
#include <memory>
#include <variant>

#include "discovery/ServiceAdvertiser.h"
#include "program/StopSignal.h"
#include "server/EventLog.h"
#include "server/GameServer.h"
#include "server/ServerOptions.h"
#include "server/StateStore.h"

namespace {

using namespace tarvendo::server;
using tarvendo::DiscoveryStatus;
using tarvendo::ServiceAdvertiser;

// Announces the game on the local network as long as it lives. Without a
// reachable Avahi daemon the game goes on unannounced, after one log line.
std::unique_ptr<ServiceAdvertiser> advertise(std::int32_t port, EventLog& log) {
    auto advertiser = std::make_unique<ServiceAdvertiser>(
        port, ServiceAdvertiser::Handlers{
                  [&log](const std::string& name) {
                      log.record("advertised", "", "as " + name + " (_tarvendo._tcp in local.)");
                  },
                  [&log](const std::string& line) {
                      log.record("advertising", "", line);
                  }});
    const DiscoveryStatus status = advertiser->start();
    if (!status.ok) {
        log.record("advertising", "", status.message);
    }
    return advertiser;
}

// The state file, when one is named; a file that cannot be used stops the
// server before it listens.
std::variant<std::unique_ptr<StateStore>, std::string> openState(const ServerOptions& options) {
    if (!options.stateFile) {
        return std::unique_ptr<StateStore>();
    }
    return StateStore::open(*options.stateFile);
}

int runServer(const ServerOptions& options) {
    std::variant<std::unique_ptr<StateStore>, std::string> opened = openState(options);
    if (const std::string* problem = std::get_if<std::string>(&opened)) {
        std::cerr << "tarvendo-server: " << *problem << '\n';
        return 1;
    }
    const std::unique_ptr<StateStore>& store = std::get<std::unique_ptr<StateStore>>(opened);
    if (options.exportHistory) {
        return store->exportHistory(std::cout) ? 0 : 1;
    }
    tarvendo::StopSignal& stopSignal = tarvendo::StopSignal::install();
    EventLog log;
    GameServerSettings settings;
    settings.maxPlayers = options.maxPlayers;
    settings.grace = options.grace;
    settings.host.store = store.get();
    // Serving ends on stop() or when listening fails; either way main wakes.
    const std::unique_ptr<GameServer> game =
        GameServer::start(options.port, log, settings, [&stopSignal] { stopSignal.request(); });
    if (!game) {
        log.record("stopped", "", "cannot listen on port " + std::to_string(options.port));
        return 1;
    }
    log.record("listening", "", "port " + std::to_string(game->port()));
    std::unique_ptr<ServiceAdvertiser> advertiser =
        options.advertise ? advertise(game->port(), log) : nullptr;
    stopSignal.waitFor(std::nullopt);
    log.record("stopping", "");
    advertiser.reset();
    game->stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return tarvendo::runCommand<ServerOptions>(
        parseServerCommand(tarvendo::argumentsOf(argc, argv)), "tarvendo-server", serverUsage(),
        runServer);
}
