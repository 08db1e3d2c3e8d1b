#include "GameServer.h"

namespace tarvendo::server {

GameServer::GameServer(EventLog& log, const GameServerSettings& settings)
    : host_(Game(settings.maxPlayers), log, settings.host),
      connections_(std::make_shared<RequestConnections>(host_, log, settings.frames)),
      server_(Server::create(connections_, settings.maxConnections, settings.listenQueue)) {}

std::unique_ptr<GameServer> GameServer::start(std::int32_t port, EventLog& log,
                                              GameServerSettings settings,
                                              std::function<void()> onEnd) {
    std::unique_ptr<GameServer> game(new GameServer(log, settings));
    if (!game->server_ || !game->server_->listenOn(port)) {
        return nullptr;
    }
    game->port_ = game->server_->boundPort().value_or(0);
    game->serving_ = std::thread([server = game->server_, onEnd = std::move(onEnd)] {
        server->serve();
        if (onEnd) {
            onEnd();
        }
    });
    return game;
}

GameServer::~GameServer() {
    stop();
}

void GameServer::stop() {
    host_.close();
    if (server_) {
        server_->stop();
    }
    if (serving_.joinable()) {
        serving_.join();
    }
}

}  // namespace tarvendo::server
