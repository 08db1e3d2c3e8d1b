#include "server/GameServer.h"

#include <algorithm>

namespace tarvendo::server {

GameServer::GameServer(EventLog& log, const GameServerSettings& settings)
    : host_(Game(settings.maxPlayers, settings.grace), log, settings.host),
      connections_(std::make_shared<RequestConnections>(host_, log, settings.frames)) {}

std::unique_ptr<GameServer> GameServer::start(std::int32_t port, EventLog& log,
                                              GameServerSettings settings,
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
