#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "ClientServerHarness.h"
#include "EventRecorder.h"
#include "Shared.h"
#include "StdoutCapture.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;
using support::PushPeer;

// The pushes below carry no token and no data: what matters is the loop.
class ClientServerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }

    static Request play() {
        return Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt};
    }

    // The refusal, exactly three keys, as it came over the wire.
    static void expectUnknownRequestAnswer(PushPeer& peer) {
        const std::optional<ByteBuffer> payload = peer.nextFrame();
        ASSERT_TRUE(payload.has_value());
        EXPECT_EQ(Json::parse(payload->text(), nullptr, false),
                  (Json{{"code", -1}, {"message", "unknownRequest"}, {"token", ""}}));
    }

    std::size_t connectionLostLines() {
        capture->finish();
        return capture->countLines("Connection lost");
    }

    support::EventRecorder recorder{Event::play};
    std::unique_ptr<support::StdoutCapture> capture = std::make_unique<support::StdoutCapture>();
};

class ClientServerLoopTest : public ClientServerConnectionTest {
protected:
    support::ClientServerHarness harness;
    PushPeer peer{harness.port()};
};

TEST_F(ClientServerLoopTest, EveryUndecodablePushIsAnsweredAndTheConnectionGoesOn) {
    for (const char* text : {"this is not JSON", "{\"request\":9}", ""}) {
        peer.sendFrame(ByteBuffer::fromText(text));
        expectUnknownRequestAnswer(peer);
    }
    peer.sendBytes(littleEndianBytes(-5));
    expectUnknownRequestAnswer(peer);
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
    EXPECT_TRUE(peer.hasNothingToRead());
}

// Closing between frames or inside one ends the loop with one line.
TEST(ClientServerPeerClosingTest, PeerClosingPrintsConnectionLostOnce) {
    const std::string header(littleEndianBytes(100).text());
    for (const std::string& tail : {std::string(), header + "{\"request\":"}) {
        SCOPED_TRACE(tail.size());
        Shared::reset();
        support::EventRecorder recorder{Event::play};
        support::StdoutCapture capture;
        support::ClientServerHarness harness;
        PushPeer peer{harness.port()};
        peer.push(Request{RequestCode::play, std::nullopt, std::nullopt, std::nullopt});
        ASSERT_TRUE(recorder.waitForCount(1));  // the connection is being served
        peer.sendBytes(ByteBuffer::fromText(tail));
        peer.close();
        ASSERT_TRUE(harness.waitUntilIdle());
        capture.finish();
        EXPECT_EQ(capture.countLines("Connection lost"), 1u);
    }
}

TEST_F(ClientServerLoopTest, OversizedFrameEndsTheConnectionAndReleasesItsDescriptor) {
    peer.sendBytes(littleEndianBytes(kMaxFrameLength + 1));
    EXPECT_TRUE(peer.seesEndOfStream());
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(connectionLostLines(), 1u);
}

TEST_F(ClientServerLoopTest, StoppingTheServerEndsTheLoopWithoutConnectionLost) {
    peer.sendFrame(ByteBuffer::fromText("not a request"));
    expectUnknownRequestAnswer(peer);
    // The loop goes back to reading once the answer is out; give it the time
    // to block there, where the stop has to wake it.
    std::this_thread::sleep_for(20ms);
    harness.stop();
    EXPECT_TRUE(peer.seesEndOfStream());
    EXPECT_EQ(connectionLostLines(), 0u);
    EXPECT_EQ(capture->countLines("Server stopped"), 1u);
}

// An idle connection is never timed out; a frame that stalls once started is.
TEST_F(ClientServerConnectionTest, StallLimitAppliesOnlyOnceAFrameHasStarted) {
    support::ClientServerHarness harness{FrameLimits{kMaxFrameLength, 100ms}};
    PushPeer peer{harness.port()};
    std::this_thread::sleep_for(300ms);  // three stall limits without a byte
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
    peer.sendBytes(ByteBuffer::fromText("{\"r"));
    EXPECT_TRUE(peer.seesEndOfStream());
    EXPECT_EQ(connectionLostLines(), 1u);
}

}  // namespace
}  // namespace tarvendo
