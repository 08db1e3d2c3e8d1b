#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <pthread.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "support/Loopback.h"
#include "support/StdoutCapture.h"
#include "support/Waiting.h"
#include "transport/Diagnostics.h"
#include "transport/Frame.h"
#include "transport/ServingThread.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

TEST(ByteBufferTest, ReadsLittleEndianAndNeverPastAShortBuffer) {
    // Each buffer is exactly its size on the heap, so a sanitizer sees an over-read.
    EXPECT_EQ(ByteBuffer().asInt32(), 0);
    EXPECT_EQ(ByteBuffer(std::vector<std::uint8_t>{1, 2, 3}).asInt32(), 0x030201);
    EXPECT_EQ(ByteBuffer(std::vector<std::uint8_t>{3, 0, 0, 0x80, 9}).asInt32(), INT32_MIN + 3);
}

std::string prefix(std::int32_t length, const std::string& payload = {}) {
    return std::string(test::frameBytes(length, payload).text());
}

// The next frame's payload, then how its read ended unless it was read whole.
std::string nextFrame(FrameReader& frames) {
    static const char* const kEnds[] = {"", "<closed>", "<timed out>", "<too long>"};
    FrameStatus status = FrameStatus::ok;
    const std::optional<ByteBuffer> payload = frames.next(&status);
    return std::string(payload ? payload->text() : "") + kEnds[static_cast<int>(status)];
}

TEST(FrameTest, ReadsWhatTheStreamHolds) {
    struct Stream {
        const char* what;
        std::string bytes;
        bool thenClose;
        FrameLimits limits;
        std::vector<std::string> frames;
    };
    const std::string longPayload(20'000, 'q');
    Stream burst{"a burst across reads", "", false, {}, {}};
    for (int frame = 0; frame < 1'000; ++frame) {
        burst.frames.push_back("frame " + std::to_string(frame));
        burst.bytes +=
            prefix(static_cast<std::int32_t>(burst.frames.back().size()), burst.frames.back());
    }
    const Stream streams[] = {
        burst,
        {"longer than a read", prefix(20'000, longPayload), false, {}, {longPayload}},
        {"0 and -1 are empty", prefix(0) + prefix(-1) + prefix(1, "n"), false, {}, {"", "", "n"}},
        {"the limit is inclusive", prefix(5, "12345"), false, {5}, {"12345"}},
        {"over it, no body byte is awaited", prefix(6), false, {5}, {"<too long>"}},
        {"the peer closing inside the length", std::string(2, '\0'), true, {}, {"<closed>"}},
        {"the peer closing inside the payload", prefix(9, "abc"), true, {}, {"abc", "<closed>"}},
        {"the peer closing right after the length", prefix(9), true, {}, {"<closed>"}},
    };
    for (const Stream& stream : streams) {
        SCOPED_TRACE(stream.what);
        const test::LoopbackPair pair = test::makeLoopbackPair();
        setopt_socket(pair.server->descriptor(), SO_RCVBUF, 4096);  // reads of 8 KiB at most
        pair.server->setTimeouts(2s, 2s);  // waiting for bytes that never come fails
        test::writeRaw(*pair.client, stream.bytes);
        if (stream.thenClose) {
            pair.client->close();
        }
        FrameReader frames(*pair.server, stream.limits);
        for (const std::string& frame : stream.frames) {
            EXPECT_EQ(nextFrame(frames), frame);
        }
    }
}

TEST(FrameTest, LengthAndPayloadLeaveInOneSegmentAndNothingIsHeldBack) {
    const test::LoopbackPair pair = test::makeLoopbackPair();
    tcp_info info{};
    socklen_t length = sizeof info;
    // Enough frames to outlast the quick acknowledgements of a new connection.
    for (int frame = 0; frame < 30; ++frame) {
        ASSERT_TRUE(writeFrame(*pair.client, ByteBuffer::fromText(frame % 3 == 1 ? "" : "frame")));
    }
    ::getsockopt(pair.client->descriptor(), IPPROTO_TCP, TCP_INFO, &info, &length);
    // An acknowledgement that comes between a frame's two writes may send the
    // length on its own now and then.
    EXPECT_NEAR(info.tcpi_data_segs_out, 30, 2);
    EXPECT_EQ(pair.server->readData(22)->text(),
              prefix(5, "frame") + prefix(0) + prefix(5, "frame"));
}

// Waiting for a frame to start is not limited; once it has, the rest must come.
TEST(FrameTest, TimeLimitsApplyOnceAFrameHasStartedAndToTheWholeFrame) {
    const test::LoopbackPair pair = test::makeLoopbackPair();
    std::thread late([&pair] {
        std::this_thread::sleep_for(300ms);
        test::writeRaw(*pair.client, prefix(4, "late") + prefix(9, "par"));
    });
    FrameReader frames(*pair.server, {kMaxFrameLength, 100ms});
    EXPECT_EQ(nextFrame(frames), "late");
    EXPECT_EQ(nextFrame(frames), "<timed out>");
    late.join();
    // The limits hold for the frame as a whole: each byte in time is not enough.
    const test::LoopbackPair trickled = test::makeLoopbackPair();
    std::thread trickle([&trickled] {
        for (const char byte : prefix(6, "abcdef")) {
            test::writeRaw(*trickled.client, std::string(1, byte));
            std::this_thread::sleep_for(40ms);
        }
    });
    FrameReader trickledFrames(*trickled.server, {kMaxFrameLength, 200ms});
    EXPECT_EQ(nextFrame(trickledFrames), "<timed out>");
    trickle.join();
    const test::LoopbackPair silent = test::makeLoopbackPair();
    FrameReader silentFrames(*silent.server, {kMaxFrameLength, 0ms, 100ms});
    EXPECT_EQ(nextFrame(silentFrames), "<timed out>")
        << "nothing comes within the whole frame's time";
}

TEST(DiagnosticsTest, PeerTextIsQuotedShortEscapedAndOnOneLine) {
    const std::string longName(300, 'x');
    EXPECT_EQ(quotedPeerText("Ann\n\"Bob\"\t\x7f\xc2\x85\xff é"),
              "Ann\\x0a\"Bob\"\\x09\\x7f\\xc2\\x85\\xff é");
    EXPECT_EQ(quotedPeerText("say \"hi\\\"", true), "say \\\"hi\\\\\\\"");
    EXPECT_EQ(quotedPeerText(longName), std::string(200, 'x') + "…");
    EXPECT_EQ(quotedPeerText(std::string(200, 'x')), std::string(200, 'x'));
}

TEST(SocketTest, ClosingReleasesTheDescriptorAndWritesToTheGonePeerFailWithoutSigpipe) {
    const test::LoopbackPair pair = test::makeLoopbackPair();
    const std::int32_t descriptor = pair.server->descriptor();
    pair.server->close();
    EXPECT_EQ(::fcntl(descriptor, F_GETFD), -1);
    const ByteBuffer chunk(std::vector<std::uint8_t>(64 * 1024, 'z'));
    bool written = true;
    // The first writes may still be buffered; a reset follows soon after.
    for (int attempt = 0; attempt < 100 && written; ++attempt) {
        written = pair.client->writeData(chunk);
    }
    EXPECT_FALSE(written);
    const std::int32_t destroyed = Socket::create()->descriptor();
    EXPECT_EQ(::fcntl(destroyed, F_GETFD), -1) << "released by the destructor";
}

TEST(ConnectSocketTest, SignalsDuringAStalledHandshakeDoNotFailIt) {
    // A do-nothing handler without SA_RESTART: the blocked connect returns EINTR.
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = [](int) {
    };
    sigaction(SIGUSR1, &action, &previous);
    const test::Listener listener = test::makeListener();
    ASSERT_EQ(socket_listen(listener.socket->descriptor(), 0), 0);
    const test::FramePeer filler(listener.port);  // the accept queue is full now
    const std::shared_ptr<Socket> socket = Socket::create();
    std::atomic<std::int32_t> result{-2};
    std::thread connector([&] {
        result = connect_socket(socket->descriptor(), "127.0.0.1",
                                static_cast<std::uint16_t>(listener.port));
    });
    for (int signal = 0; signal < 10; ++signal) {
        std::this_thread::sleep_for(20ms);
        pthread_kill(connector.native_handle(), SIGUSR1);
    }
    EXPECT_EQ(result.load(), -2) << "still connecting";
    // Room in the queue: the handshake's next retry gets through.
    EXPECT_NE(test::acceptOne(listener), nullptr);
    EXPECT_NE(test::acceptOne(listener), nullptr);
    connector.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(result.load(), 0);
}

// Reads frames until the peer closes or the server stops.
struct Reader : ServerThread {
    Reader(std::shared_ptr<Socket> socket, std::atomic<int>& ended)
        : ServerThread(std::move(socket)), ended(ended) {}
    void run() override {
        FrameReader frames(socket());
        while (frames.next()) {
        }
        std::this_thread::sleep_for(50ms);  // long enough to be seen unless joined
        ++ended;
    }
    std::atomic<int>& ended;
};

struct Readers : ServerDelegate {
    std::shared_ptr<ServerThread> serverThread(std::shared_ptr<Socket> socket) override {
        auto reader = std::make_shared<Reader>(std::move(socket), ended);
        clients.push(reader->clientAddress().value_or("?"));
        return reader;
    }
    test::Waitable<std::string> clients;
    std::atomic<int> ended{0};  // readers whose run() is over
};

// The serving thread's whole life, with a cap of one connection.
TEST(ServerTest, ServesUpToTheCapUntilStoppedThenTheConnectionsEnd) {
    const auto delegate = std::make_shared<Readers>();
    auto serving = ServingThread::start(Server::create(delegate, {1}), 0);
    ASSERT_NE(serving, nullptr);
    const std::int32_t port = serving->port();
    auto first = std::make_unique<test::FramePeer>(port, "127.0.0.2");
    EXPECT_EQ(delegate->clients.waitFor(1), std::vector<std::string>{"127.0.0.2"});
    EXPECT_TRUE(test::FramePeer(port).seesEndOfStream()) << "over the cap";
    first.reset();
    const auto active = [&](std::size_t count) {
        return test::eventually([&] { return serving->server().activeConnections() == count; });
    };
    EXPECT_TRUE(active(0));
    test::FramePeer second(port);
    EXPECT_TRUE(active(1)) << "a finished connection frees its place";

    serving.reset();
    EXPECT_EQ(delegate->ended.load(), 2) << "every connection thread was joined";
    EXPECT_TRUE(second.seesEndOfStream());
    test::StdoutCapture output;
    serving = ServingThread::start(Server::create(delegate), port);
    EXPECT_NE(serving, nullptr) << "the port is free again";
    EXPECT_EQ(ServingThread::start(Server::create(delegate), port), nullptr) << "but taken now";
    output.finish();
    EXPECT_EQ(output.countLines("Can't bind server socket to port"), 1U);
}

// Per address: the oldest goes, or the newcomer is refused; an exempt peer
// is never limited.
TEST(ServerTest, LimitsConnectionsPerAddress) {
    for (const bool closeOldest : {true, false}) {
        SCOPED_TRACE(closeOldest ? "close the oldest" : "refuse the newcomer");
        const auto delegate = std::make_shared<Readers>();
        const ConnectionLimits limits{16, 2, closeOldest, [](const std::string& address) {
                                          return address == "127.0.0.1";
                                      }};
        const auto serving = ServingThread::start(Server::create(delegate, limits), 0);
        std::vector<std::unique_ptr<test::FramePeer>> strangers;
        for (int peer = 0; peer < 3; ++peer) {
            strangers.push_back(std::make_unique<test::FramePeer>(serving->port(), "127.0.0.3"));
        }
        const test::FramePeer trusted[] = {test::FramePeer(serving->port()),
                                           test::FramePeer(serving->port()),
                                           test::FramePeer(serving->port())};
        EXPECT_TRUE(strangers[closeOldest ? 0 : 2]->seesEndOfStream());
        EXPECT_EQ(delegate->clients.waitFor(5).size(), 5U);
        EXPECT_TRUE(test::eventually([&] { return serving->server().activeConnections() == 5; }));
    }
}

}  // namespace
}  // namespace tarvendo
