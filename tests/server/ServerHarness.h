#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bot/BotOptions.h"
#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "protocol/ToolBox.h"
#include "server/EventLog.h"
#include "server/GameServer.h"
#include "support/ChildProcess.h"
#include "transport/Address.h"
#include "transport/Frame.h"
#include "transport/Server.h"

namespace tarvendo::server::test {

using namespace std::chrono_literals;
using Code = RequestCode;
using Message = AnswerMessage;

// Keeps the event lines instead of printing them.
class RecordingLog : public EventLog {
public:
    // Waits a little: a line may follow the pushes its event sent.
    bool contains(const std::string& text, std::chrono::milliseconds limit = 2s) const;

protected:
    void write(std::string_view line) override;

private:
    mutable std::mutex mutex_;  // guards lines_
    mutable std::condition_variable written_;
    std::vector<std::string> lines_;
};

// A game server on a kernel-chosen port, wired as the program wires it,
// stopped when destroyed.
class RunningServer {
public:
    explicit RunningServer(GameServerSettings settings = {});
    Address address() const { return {"127.0.0.1", game_->port()}; }
    std::size_t activeConnections() { return game_->activeConnections(); }

    RecordingLog log;

private:
    std::unique_ptr<GameServer> game_;
};

// A client server that keeps every push it receives, in order.
class PushRecorder {
public:
    PushRecorder();
    ~PushRecorder();
    std::int32_t port() const { return port_; }
    // The first `count` pushes, waiting for them up to the limit; fewer if
    // they do not come.
    std::vector<Request> waitFor(std::size_t count, std::chrono::milliseconds limit = 5s);
    // Waits for a push of the code whose body has this player name.
    bool waitForPush(RequestCode code, const std::string& playerName,
                     std::chrono::milliseconds limit = 5s);
    // Stops listening and drops the game server's push connection.
    void hangUp();

private:
    void keep(Request push);

    class Delegate;
    std::shared_ptr<Delegate> delegate_;
    std::shared_ptr<Server> server_;
    std::int32_t port_ = 0;
    std::thread serving_;
    std::mutex mutex_;  // guards pushes_
    std::condition_variable arrived_;
    std::vector<Request> pushes_;
};

// A player's request connection, with the token of its last login.
class TestClient {
public:
    explicit TestClient(const Address& server);
    std::optional<Answer> send(RequestCode code, const std::optional<Json>& body = std::nullopt);
    // Logs in announcing the port; keeps the token of an OK answer.
    std::optional<Answer> login(RequestCode code, const std::string& name, std::int32_t port);
    Socket& socket() { return *socket_; }

    std::string token;

private:
    std::shared_ptr<Socket> socket_;
};

// A player of a test: its request connection and its client server.
struct TestPlayer {
    explicit TestPlayer(const Address& server) : client(server) {}
    // Logs in and expects OK.
    void join(RequestCode code, const std::string& name);

    PushRecorder pushes;
    TestClient client;
};

// A tarvendo-server child on a kernel-chosen port, as an operator runs it;
// absent child when it does not start or never reports its port.
struct ServerProcess {
    std::unique_ptr<test::ChildProcess> child;
    Address address;
};
ServerProcess startServerProgram();
// A tarvendo-bot child playing against the server; null when it cannot start.
std::unique_ptr<test::ChildProcess> startBotProgram(const Address& server, int players,
                                                    const std::vector<std::string>& options = {});
// Polls the condition until it holds or the limit passes.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s);

// A team of bots against the server: any ports, no think time.
bot::BotOptions teamOptions(const Address& server, int players, bool admin = true);

Json bodyJson(const Request& request);
ByteBuffer frameBytes(std::int32_t length, const std::string& payload = {});

}  // namespace tarvendo::server::test
