#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

#include "protocol/Exchange.h"
#include "protocol/ToolBox.h"
#include "support/Loopback.h"
#include "transport/Frame.h"
#include "transport/GameServerConnection.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

ByteBuffer answerText(std::string_view message) {
    return ByteBuffer::fromText(R"({"code":0,"message":")" + std::string(message) +
                                R"(","token":""})");
}

// A stand-in game server: accepts connections one after the other and runs
// the given script on each until the test ends.
class SubstituteServer {
public:
    using Script = std::function<void(Socket&)>;

    explicit SubstituteServer(Script script) : script_(std::move(script)) {
        worker_ = std::thread([this] {
            while (std::shared_ptr<Socket> connection = test::acceptOne(listener_, 3000)) {
                script_(*connection);
                if (done_) {
                    return;
                }
            }
        });
    }
    ~SubstituteServer() {
        done_ = true;
        listener_.socket->shutdown();
        worker_.join();
    }
    Address address() const { return {"127.0.0.1", listener_.port}; }

    // Answers every request with the given frames, in order, then OK forever.
    static Script answering(std::vector<ByteBuffer> firstAnswers) {
        return [firstAnswers = std::move(firstAnswers)](Socket& connection) {
            std::size_t next = 0;
            while (readFrame(connection)) {
                writeFrame(connection,
                           next < firstAnswers.size() ? firstAnswers[next++] : answerText("OK"));
            }
        };
    }
    // Reads requests and never answers, until the client closes.
    static Script silent() {
        return [](Socket& connection) {
            while (readFrame(connection)) {
            }
        };
    }

private:
    test::Listener listener_ = test::makeListener();
    Script script_;
    std::atomic<bool> done_{false};
    std::thread worker_;
};

const Request kPlay{RequestCode::play, "token", {}, {}};

class ExchangeTest : public ::testing::Test {
protected:
    std::shared_ptr<Socket> connectTo(const SubstituteServer& server) {
        std::shared_ptr<Socket> connection = Socket::create();
        EXPECT_TRUE(connectSocket(*connection, server.address()));
        return connection;
    }
};

TEST_F(ExchangeTest, ServerSeesTheExactRequestFrameAndEveryOkAnswerIsSuccess) {
    std::promise<std::string> seen;
    SubstituteServer server([&](Socket& connection) {
        seen.set_value(std::string(readFrame(connection)->text()));
        writeFrame(connection, answerText("OK"));
        SubstituteServer::answering({})(connection);
    });
    const std::shared_ptr<Socket> connection = connectTo(server);
    for (int i = 0; i < 3; ++i) {
        const std::optional<Answer> answer = exchange(*connection, kPlay);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->message, AnswerMessage::OK);
    }
    EXPECT_EQ(seen.get_future().get(), R"({"request":4,"token":"token"})");
}

TEST_F(ExchangeTest, ServerClosingAfterTheRequestGivesNoAnswerAtOnce) {
    SubstituteServer server([](Socket& connection) { readFrame(connection); });
    const std::shared_ptr<Socket> connection = connectTo(server);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(exchange(*connection, kPlay).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - started, kExchangeTimeout);
    EXPECT_TRUE(connection->isOpen()) << "a closed peer leaves the connection as it is";
    EXPECT_FALSE(exchange(*connection, kPlay).has_value());
}

TEST_F(ExchangeTest, UnreadableAnswerIsNoAnswerAndTheNextFrameStillPairs) {
    SubstituteServer server(
        SubstituteServer::answering({ByteBuffer::fromText("<html>"), answerText("Accepted")}));
    const std::shared_ptr<Socket> connection = connectTo(server);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(exchange(*connection, kPlay).has_value());
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
    EXPECT_FALSE(exchange(*connection, kPlay).has_value()) << "an unknown message text";
    const std::optional<Answer> next = exchange(*connection, kPlay);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->message, AnswerMessage::OK);
}

TEST_F(ExchangeTest, StalledServerTimesOutAndTheConnectionIsClosed) {
    SubstituteServer server(SubstituteServer::silent());
    const std::shared_ptr<Socket> connection = connectTo(server);
    EXPECT_FALSE(exchange(*connection, kPlay, 200ms).has_value());
    EXPECT_FALSE(connection->isOpen()) << "a late answer must never pair with a later request";
}

TEST_F(ExchangeTest, FailedConnectThenSuccessfulConnectOnTheSameDescriptor) {
    Address nobody{"127.0.0.1", test::makeListener().port};  // closed again at once
    SubstituteServer server(SubstituteServer::answering({}));
    const std::shared_ptr<Socket> connection = Socket::create();
    const std::int32_t descriptor = connection->descriptor();
    for (const std::int32_t port : {65536, -1}) {
        EXPECT_FALSE(connectSocket(*connection, {"127.0.0.1", port})) << port;
    }
    EXPECT_FALSE(connectSocket(*connection, nobody));
    EXPECT_TRUE(connectSocket(*connection, server.address()));
    EXPECT_EQ(connection->descriptor(), descriptor);
    EXPECT_TRUE(exchange(*connection, kPlay).has_value());
}

// The process-wide connection keeps state across calls, so its whole life
// is one scenario.
TEST(GameServerConnectionTest, ConnectReuseCloseAndReopen) {
    SubstituteServer first(SubstituteServer::answering({answerText("userNameAlreadyInUse")}));
    SubstituteServer second(SubstituteServer::answering({}));
    SubstituteServer silent(SubstituteServer::silent());
    EXPECT_FALSE(isConnectedToServer.load());

    ASSERT_TRUE(connectToGameServer(first.address()));
    EXPECT_EQ(exchange(kPlay)->message, AnswerMessage::userNameAlreadyInUse);
    // A second attempt uses the connection already made, whatever the address.
    EXPECT_TRUE(connectToGameServer(second.address()));
    EXPECT_EQ(exchange(kPlay)->message, AnswerMessage::OK);

    closeGameServerConnection();
    EXPECT_FALSE(isConnectedToServer.load());
    EXPECT_FALSE(exchange(kPlay).has_value());

    ASSERT_TRUE(connectToGameServer(silent.address())) << "a closed connection is opened afresh";
    EXPECT_FALSE(exchange(kPlay, 200ms).has_value());
    EXPECT_FALSE(isConnectedToServer.load()) << "a time-out marks the connection as gone";

    ASSERT_TRUE(connectToGameServer(second.address()));
    EXPECT_EQ(exchange(kPlay)->message, AnswerMessage::OK);
    closeGameServerConnection();
}

class RecordingWatcher : public ExchangeWatcher {
public:
    void exchangeStarted() override { events.push_back("started"); }
    void exchangeEnded(ExchangeEnd end) override {
        static const char* const names[] = {"answered", "noAnswer", "connectionLost"};
        events.push_back(names[static_cast<int>(end)]);
    }
    std::vector<std::string> events;
};

TEST(ExchangeWatcherTest, TellsHowEachExchangeOnTheGameServerConnectionEnded) {
    auto watcher = std::make_shared<RecordingWatcher>();
    setExchangeWatcher(watcher);
    exchange(kPlay);  // never connected: nothing was lost
    // Two answers, the first unreadable; then the server hangs up.
    SubstituteServer server([](Socket& connection) {
        for (const char* answer : {"<html>", R"({"code":0,"message":"OK","token":""})"}) {
            readFrame(connection);
            writeFrame(connection, ByteBuffer::fromText(answer));
        }
    });
    ASSERT_TRUE(connectToGameServer(server.address()));
    exchange(kPlay);
    exchange(kPlay);
    exchange(kPlay);
    setExchangeWatcher(nullptr);
    closeGameServerConnection();
    EXPECT_EQ(watcher->events,
              (std::vector<std::string>{"started", "noAnswer", "started", "noAnswer", "started",
                                        "answered", "started", "connectionLost"}));
}

}  // namespace
}  // namespace tarvendo
