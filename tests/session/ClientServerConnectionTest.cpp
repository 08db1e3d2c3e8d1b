#include <gtest/gtest.h>

#include <memory>
#include <set>
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

    // The answer's JSON object as it came over the wire.
    static Json answerObject(PushPeer& peer) {
        const std::optional<ByteBuffer> payload = peer.readFrameWithin(5s);
        return payload ? Json::parse(payload->text(), nullptr, false) : Json();
    }

    static void expectUnknownRequestAnswer(PushPeer& peer) {
        const Json answer = answerObject(peer);
        ASSERT_TRUE(answer.is_object()) << answer.dump();
        std::set<std::string> keys;
        for (const auto& member : answer.items()) {
            keys.insert(member.key());
        }
        EXPECT_EQ(keys, (std::set<std::string>{"code", "message", "token"}));
        EXPECT_EQ(answer.value("code", 0), -1);
        EXPECT_EQ(answer.value("message", ""), "unknownRequest");
        EXPECT_EQ(answer.value("token", "absent"), "");
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
    peer.sendFrame(ByteBuffer::fromText("this is not JSON"));
    expectUnknownRequestAnswer(peer);
    peer.sendFrame(ByteBuffer::fromText("{\"request\":9}"));
    expectUnknownRequestAnswer(peer);
    peer.sendFrame(ByteBuffer());
    expectUnknownRequestAnswer(peer);
    peer.sendBytes(littleEndianBytes(-5));
    expectUnknownRequestAnswer(peer);
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
    EXPECT_TRUE(peer.hasNothingToRead());
}

TEST_F(ClientServerLoopTest, PeerClosingPrintsConnectionLostOnce) {
    peer.push(play());
    ASSERT_TRUE(recorder.waitForCount(1));
    peer.close();
    ASSERT_TRUE(harness.waitUntilIdle());
    capture->finish();
    EXPECT_EQ(capture->countLines("Connection lost"), 1u);
}

TEST_F(ClientServerLoopTest, PeerClosingInsideAFrameEndsTheLoop) {
    peer.push(play());
    ASSERT_TRUE(recorder.waitForCount(1));  // the connection is being served
    peer.sendBytes(littleEndianBytes(100));
    peer.sendBytes(ByteBuffer::fromText("{\"request\":"));
    peer.close();
    ASSERT_TRUE(harness.waitUntilIdle());
    capture->finish();
    EXPECT_EQ(capture->countLines("Connection lost"), 1u);
}

TEST_F(ClientServerLoopTest, OversizedFrameEndsTheConnectionAndReleasesItsDescriptor) {
    peer.sendBytes(littleEndianBytes(kMaxFrameLength + 1));
    EXPECT_TRUE(peer.seesEndOfStream());
    ASSERT_TRUE(harness.waitUntilIdle());
    capture->finish();
    EXPECT_EQ(capture->countLines("Connection lost"), 1u);
}

TEST_F(ClientServerLoopTest, StoppingTheServerEndsTheLoopWithoutConnectionLost) {
    peer.sendFrame(ByteBuffer::fromText("not a request"));
    expectUnknownRequestAnswer(peer);
    // The loop goes back to reading once the answer is out; give it the time
    // to block there, where the stop has to wake it.
    std::this_thread::sleep_for(20ms);
    harness.stop();
    EXPECT_TRUE(peer.seesEndOfStream());
    capture->finish();
    EXPECT_EQ(capture->countLines("Connection lost"), 0u);
    EXPECT_EQ(capture->countLines("Server stopped"), 1u);
}

class ClientServerStallTest : public ClientServerConnectionTest {
protected:
    support::ClientServerHarness harness{FrameLimits{kMaxFrameLength, 100ms}};
    PushPeer peer{harness.port()};
};

TEST_F(ClientServerStallTest, FrameThatStallsOnceStartedEndsTheConnection) {
    peer.sendBytes(ByteBuffer::fromText("{\"r"));
    EXPECT_TRUE(peer.seesEndOfStream());
    capture->finish();
    EXPECT_EQ(capture->countLines("Connection lost"), 1u);
}

TEST_F(ClientServerStallTest, IdleConnectionIsNeverTimedOut) {
    std::this_thread::sleep_for(300ms);  // three stall limits without a byte
    peer.push(play());
    EXPECT_TRUE(recorder.waitForCount(1));
}

}  // namespace
}  // namespace tarvendo
