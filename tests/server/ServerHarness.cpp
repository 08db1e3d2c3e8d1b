#include "ServerHarness.h"

#include <gtest/gtest.h>

#include "protocol/Exchange.h"

namespace tarvendo::server::test {

bool RecordingLog::contains(const std::string& text, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return written_.wait_for(lock, limit, [&] {
        return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    });
}

void RecordingLog::write(std::string_view line) {
    {
        const std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    written_.notify_all();
}

RunningServer::RunningServer(GameServerSettings settings)
    : game_(GameServer::start(0, log, settings)) {
    if (!game_) {
        throw std::runtime_error("the game server cannot listen");
    }
}

class PushRecorder::Delegate : public ServerDelegate {
public:
    explicit Delegate(PushRecorder& recorder) : recorder_(recorder) {}

    class Reader : public ServerThread {
    public:
        Reader(std::shared_ptr<Socket> socket, PushRecorder& recorder)
            : ServerThread(std::move(socket)), recorder_(recorder) {}
        void run() override {
            while (const std::optional<ByteBuffer> payload = readFrame(socket())) {
                if (std::optional<Request> push = Request::usingJson(*payload)) {
                    recorder_.keep(std::move(*push));
                }
            }
        }

    private:
        PushRecorder& recorder_;
    };

    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override {
        return std::make_shared<Reader>(std::move(socket), recorder_);
    }

private:
    PushRecorder& recorder_;
};

PushRecorder::PushRecorder()
    : delegate_(std::make_shared<Delegate>(*this)), server_(Server::create(delegate_)) {
    if (!server_ || !server_->listenOn(0)) {
        throw std::runtime_error("the client server cannot listen");
    }
    port_ = server_->boundPort().value_or(0);
    serving_ = std::thread([server = server_] { server->serve(); });
}

PushRecorder::~PushRecorder() {
    hangUp();
}

void PushRecorder::hangUp() {
    server_->stop();
    if (serving_.joinable()) {
        serving_.join();
    }
}

void PushRecorder::keep(Request push) {
    {
        const std::lock_guard lock(mutex_);
        pushes_.push_back(std::move(push));
    }
    arrived_.notify_all();
}

std::vector<Request> PushRecorder::waitFor(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, limit, [&] { return pushes_.size() >= count; });
    return {pushes_.begin(),
            pushes_.begin() + static_cast<std::ptrdiff_t>(std::min(count, pushes_.size()))};
}

bool PushRecorder::waitForPush(RequestCode code, const std::string& playerName,
                               std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] {
        return std::any_of(pushes_.begin(), pushes_.end(), [&](const Request& push) {
            return push.request == code && bodyJson(push).value("player_name", "") == playerName;
        });
    });
}

TestClient::TestClient(const Address& server) : socket_(Socket::create()) {
    if (!socket_ || !connectSocket(*socket_, server)) {
        throw std::runtime_error("cannot connect to the game server");
    }
}

std::optional<Answer> TestClient::send(RequestCode code, const std::optional<Json>& body) {
    const Request request{code, token.empty() ? std::nullopt : std::optional(token), std::nullopt,
                          body ? ToolBox::toJsonObject(body) : std::nullopt};
    return exchange(*socket_, request);
}

std::optional<Answer> TestClient::login(RequestCode code, const std::string& name,
                                        std::int32_t port) {
    const Json body{{"player_name", name}, {"game_name", "Sprint"}, {"client_server_port", port}};
    std::optional<Answer> answer = send(code, body);
    if (answer && answer->message == AnswerMessage::OK) {
        token = answer->token;
    }
    return answer;
}

void TestPlayer::join(RequestCode code, const std::string& name) {
    const std::optional<Answer> answer = client.login(code, name, pushes.port());
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->message, AnswerMessage::OK) << answer->info.value_or("");
}

ServerProcess startServerProgram() {
    ServerProcess server{
        test::ChildProcess::start(TARVENDO_SERVER_PROGRAM, {"--port", "0", "--no-advertise"}), {}};
    const std::optional<int> port =
        server.child ? test::listeningPort(*server.child, 10s) : std::nullopt;
    if (!port) {
        server.child.reset();
    }
    server.address = Address{"127.0.0.1", port.value_or(0)};
    return server;
}

std::unique_ptr<test::ChildProcess> startBotProgram(const Address& server, int players,
                                                    const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"--server",
                                       server.address + ":" + std::to_string(server.port),
                                       "--players", std::to_string(players)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return test::ChildProcess::start(TARVENDO_BOT_PROGRAM, arguments);
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bot::BotOptions teamOptions(const Address& server, int players, bool admin) {
    bot::BotOptions options;
    options.server = server;
    options.players = players;
    options.clientPortBase = 0;
    options.think = std::chrono::milliseconds(0);
    options.admin = admin;
    return options;
}

Json bodyJson(const Request& request) {
    std::optional<Json> body = request.data ? ToolBox::fromJsonObject(request.data) : std::nullopt;
    return body && body->is_object() ? *body : Json::object();
}

ByteBuffer frameBytes(std::int32_t length, const std::string& payload) {
    ByteBuffer bytes = littleEndianBytes(length);
    const ByteBuffer body = ByteBuffer::fromText(payload);
    bytes.append(body.data(), body.size());
    return bytes;
}

}  // namespace tarvendo::server::test
