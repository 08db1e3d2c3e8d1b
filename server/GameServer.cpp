#include "server/GameServer.h"

#include <algorithm>

#include "server/StateStore.h"

namespace tarvendo::server {

namespace {

// A new game, or the stored one with every seat away for a fresh grace period.
Game startingGame(const GameServerSettings& settings, EventLog& log) {
    Game game(settings.maxPlayers, settings.grace);
    const std::optional<GameSnapshot> stored =
        settings.host.store != nullptr ? settings.host.store->load() : std::nullopt;
    if (stored) {
        game.restore(*stored, Game::Clock::now());
        log.record("restored", "",
                   "game " + stored->gameName + ", " + std::to_string(stored->seats.size()) +
                       " seats waiting for their players");
    }
    return game;
}

}  // namespace

GameServer::GameServer(EventLog& log, const GameServerSettings& settings)
    : host_(startingGame(settings, log), log, settings.host),
      connections_(std::make_shared<RequestConnections>(host_, log, settings.frames)) {}

std::unique_ptr<GameServer> GameServer::start(std::int32_t port, EventLog& log,
                                              const GameServerSettings& settings,
                                              std::function<void()> onEnd) {
    std::unique_ptr<GameServer> game(new GameServer(log, settings));
    // A whole team may share one address (behind NAT, or bots on one host).
    ConnectionLimits limits = settings.connections;
    limits.maxPerAddress = std::max(limits.maxPerAddress, settings.maxPlayers + 8);
    game->serving_ = ServingThread::start(
        Server::create(game->connections_, std::move(limits), settings.listenQueue), port,
        std::move(onEnd));
    return game->serving_ ? std::move(game) : nullptr;
}

GameServer::~GameServer() {
    stop();
}

void GameServer::stop() {
    host_.close();
    if (serving_) {
        serving_->stop();
    }
}

}  // namespace tarvendo::server
