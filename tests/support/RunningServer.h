#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/EventLog.h"
#include "server/GameServer.h"
#include "support/PushSink.h"
#include "support/RequestPeer.h"
#include "support/Waiting.h"
#include "transport/Address.h"

namespace tarvendo::test {

// Keeps the game server's event lines instead of printing them.
class RecordingLog : public server::EventLog {
public:
    // Waits a little: a line may follow the pushes its event sent.
    bool contains(const std::string& text, std::chrono::milliseconds limit = 2s) const;

protected:
    void write(std::string_view line) override { lines_.push(std::string(line)); }

private:
    Waitable<std::string> lines_;
};

// A game server in this process on a kernel-chosen port, wired as the
// program wires it, stopped when destroyed.
class RunningServer {
public:
    explicit RunningServer(server::GameServerSettings settings = {});
    Address address() const { return {"127.0.0.1", game_->port()}; }
    std::size_t activeConnections() { return game_->activeConnections(); }

    RecordingLog log;

private:
    std::unique_ptr<server::GameServer> game_;
};

// A player of a test: its request connection and its client server.
struct TestPlayer {
    explicit TestPlayer(const Address& server) : client(server) {}
    // Logs in and expects OK.
    void join(RequestCode code, const std::string& name);

    PushSink pushes;
    RequestPeer client;
};

}  // namespace tarvendo::test
