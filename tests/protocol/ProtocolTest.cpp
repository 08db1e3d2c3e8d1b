#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/Base64.h"
#include "protocol/GameServerConnection.h"
#include "protocol/ToolBox.h"
#include "support/Loopback.h"
#include "support/Printers.h"
#include "support/StdoutCapture.h"
#include "transport/SocketPrimitives.h"

namespace tarvendo {
namespace {

using namespace std::chrono_literals;

TEST(Base64Test, EncodesWithPaddingAndDecodesOnlyStrictBase64) {
    const std::pair<std::string, std::string> table[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"\xFB\xFF", "+/8="}};
    for (const auto& [bytes, encoded] : table) {
        SCOPED_TRACE(encoded);
        EXPECT_EQ(encodeBase64(ByteBuffer::fromText(bytes)), encoded);
        EXPECT_EQ(decodeBase64Bytes(encoded), ByteBuffer::fromText(bytes));
    }
    for (const char* text : {"e30", "e30=\n", "e3\n0=", "e30=e30=", "=e30", "e=30", "e30*",
                             "Zg=", "Z===", "====", "e30= ", "Zg-_"}) {
        EXPECT_FALSE(decodeBase64Bytes(text).has_value()) << '"' << text << '"';
    }
}

TEST(Utf8Test, RefusesMalformedOverlongSurrogateAndTooHighSequences) {
    EXPECT_TRUE(isValidUtf8("plain ½ ∞ 😀"));
    for (const char* bad : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\xF5\x80\x80\x80", "\xE2\x88", "\xC3", "\xE2\x28\xA1"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << testing::PrintToString(std::string(bad));
    }
}

// Decodes each text and encodes the message again: the fields it kept.
template <typename Message>
void expectKept(std::initializer_list<std::pair<const char*, const char*>> rows) {
    for (const auto& [text, kept] : rows) {
        const std::optional<Message> message = Message::usingJson(ByteBuffer::fromText(text));
        EXPECT_EQ(message ? message->json()->text() : "absent", kept) << text;
    }
}

// Each text is refused, printing what matches the pattern: nothing by default.
template <typename Message>
void expectRefused(std::initializer_list<const char*> texts, const char* printed = "") {
    for (const char* text : texts) {
        test::StdoutCapture output;
        EXPECT_FALSE(Message::usingJson(ByteBuffer::fromText(text)).has_value()) << text;
        output.finish();
        EXPECT_THAT(output.text(), testing::MatchesRegex(printed)) << text;
    }
}

TEST(RequestTest, KeepsAKnownIntegralCodeAndTheFieldsOfTheRightType) {
    expectKept<Request>({
        {R"({"request":0})", R"({"request":0})"},
        {R"({"request":4.0})", R"({"request":4})"},
        {R"({"data":"e30=","query":"q","request":8,"token":"t"})",
         R"({"data":"e30=","query":"q","request":8,"token":"t"})"},
        {R"({"request":6,"token":7,"query":[],"data":1})", R"({"request":6})"},
        {R"({"token":"a","request":1,"token":"b"})", R"({"request":1,"token":"b"})"},
        {R"({"request":6,"data":"4og="})", R"({"request":6})"},  // cut short: E2 88
    });
    expectRefused<Request>({R"({"request":9})", R"({"request":-1})", R"({"request":4.5})",
                            R"({"request":"4"})", R"({"request":true})", R"({"token":"t"})"});
    expectRefused<Request>({"{", "", "5", "true", R"("text")", "[]", R"({"request":1)",
                            R"({"request":1}x)", R"({"request":1,})"},
                           "init\\(usingJson:\\)\\(41\\): Serialization error: [^\n]*\n");
}

// Text that needs escaping is unescaped when read and escaped when written.
TEST(RequestTest, EscapedTextReadAndWritten) {
    using Text = std::optional<std::string>;
    for (const auto& [json, query, token] :
         {std::tuple<const char*, Text, Text>{R"({"query":"c\\d","request":4})", "c\\d", {}},
          {R"({"request":4,"token":"a\"b"})", {}, "a\"b"},
          {R"({"query":"\u0001\t","request":4})", "\1\t", {}}}) {
        SCOPED_TRACE(json);
        const std::optional<Request> read = Request::usingJson(ByteBuffer::fromText(json));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->query, query);
        EXPECT_EQ(read->token, token);
        EXPECT_EQ(Request(RequestCode::play, token, query, {}).json()->text(), json);
    }
}

// Nesting is refused before the parser or a copy could recurse that deep.
TEST(ToolBoxTest, RefusesJsonNestedDeeperThan64Levels) {
    const auto nested = [](std::size_t depth) {
        return ByteBuffer::fromText(std::string(depth, '[') + std::string(depth, ']'));
    };
    EXPECT_TRUE(ToolBox::fromJsonObject(nested(ToolBox::kMaxNesting)).has_value());
    EXPECT_TRUE(
        ToolBox::fromJsonObject(ByteBuffer::fromText(R"(["[[[\"[[[", {"a":"]]"}])")).has_value())
        << "brackets in strings do not count";
    for (const std::size_t depth : {ToolBox::kMaxNesting + 1, std::size_t{200'000}}) {
        test::StdoutCapture output;
        EXPECT_FALSE(ToolBox::fromJsonObject(nested(depth)).has_value()) << depth;
        output.finish();
        EXPECT_EQ(output.text(), "Serialization error: nested deeper than 64\n");
    }
}

TEST(AnswerTest, NeedsAnIntegralCodeAKnownMessageAndAToken) {
    expectKept<Answer>({
        {R"({"code":4.0,"message":"adminAlreadyLoggenIn","token":""})",
         R"({"code":4,"message":"adminAlreadyLoggenIn","token":""})"},
        {R"({"code":0,"data":"WyJBbm4iXQ==","info":"Sprint","message":"OK","token":"t"})",
         R"({"code":0,"data":"WyJBbm4iXQ==","info":"Sprint","message":"OK","token":"t"})"},
        {R"({"code":7,"message":"error","token":"","info":3,"data":"%%"})",
         R"({"code":7,"message":"error","token":""})"},
    });
    expectRefused<Answer>(
        {R"({"code":0,"message":"ok","token":""})", R"({"code":0,"message":"OK"})",
         R"({"code":0,"message":"OK","token":5})", R"({"code":"0","message":"OK","token":""})",
         R"({"code":true,"message":"OK","token":""})", R"({"code":1.5,"message":"OK","token":""})",
         R"({"code":1e300,"message":"OK","token":""})",
         R"({"code":18446744073709551615,"message":"OK","token":""})", "[1]"});
    expectRefused<Answer>({"5", "garbage"}, "Serialization error: [^\n]*\n");
}

struct RecordingWatcher : ExchangeWatcher {
    void exchangeStarted() override { ++started; }
    void exchangeEnded(ExchangeEnd end) override { last = end; }
    int started = 0;
    std::optional<ExchangeEnd> last;
};

// The connection's whole life against listeners whose accepted ends write
// the answers before each exchange.
TEST(GameServerConnectionTest, ConnectReuseCloseAndReopenWithEveryEndWatched) {
    GameServerConnection connection;
    const auto watcher = std::make_shared<RecordingWatcher>();
    connection.setWatcher(watcher);
    const auto expectExchange = [&](const char* what, std::optional<AnswerMessage> message,
                                    ExchangeEnd end) {
        SCOPED_TRACE(what);
        const std::optional<Answer> answer =
            connection.exchange({RequestCode::play, {}, {}, {}}, 300ms);
        EXPECT_EQ(answer ? std::optional(answer->message) : std::nullopt, message);
        EXPECT_EQ(watcher->last, end);
    };
    const test::Listener first = test::makeListener();
    const test::Listener second = test::makeListener();
    const std::int32_t descriptor = connection.socket().descriptor();
    // Out of range, the port would wrap around to the listener's.
    for (const std::int32_t port : {first.port + 65536, first.port - 65536, test::freePort()}) {
        EXPECT_FALSE(connection.connect({"127.0.0.1", port})) << port;
    }
    ASSERT_TRUE(connection.connect({"127.0.0.1", first.port}));
    EXPECT_EQ(connection.socket().descriptor(), descriptor) << "failed connects leave it usable";
    const std::shared_ptr<Socket> served = test::acceptOne(first);
    writeFrame(*served, ByteBuffer::fromText("<html>"));
    writeFrame(*served, *Answer{0, AnswerMessage::userNameAlreadyInUse, "", {}, {}}.json());
    expectExchange("unreadable", std::nullopt, ExchangeEnd::noAnswer);
    expectExchange("the next pairs", AnswerMessage::userNameAlreadyInUse, ExchangeEnd::answered);
    EXPECT_TRUE(connection.connect({"127.0.0.1", second.port})) << "connected already";
    writeFrame(*served, *Answer{0, AnswerMessage::OK, "", {}, {}}.json());
    expectExchange("reused", AnswerMessage::OK, ExchangeEnd::answered);
    served->close();
    expectExchange("hung up", std::nullopt, ExchangeEnd::connectionLost);
    EXPECT_FALSE(connection.isConnectedToServer())
        << "a hang-up closes it: the next login reconnects";

    connection.close();
    expectExchange("closed", std::nullopt, ExchangeEnd::noAnswer);
    const std::pair<const char*, ByteBuffer> unanswered[] = {
        {"stalled", ByteBuffer()}, {"oversized", test::frameBytes(kMaxFrameLength + 1)}};
    for (const auto& [what, bytes] : unanswered) {
        ASSERT_TRUE(connection.connect({"127.0.0.1", second.port})) << "opened afresh";
        const std::shared_ptr<Socket> server = test::acceptOne(second);
        server->writeData(bytes);
        expectExchange(what, std::nullopt, ExchangeEnd::connectionLost);
        ASSERT_FALSE(connection.isConnectedToServer()) << "marked as gone: no late answer pairs";
    }
    EXPECT_EQ(watcher->started, 7);
}

// A handshake that did not finish in time would go on in the kernel, and the
// next connect would fail with EALREADY or reach the old address.
TEST(GameServerConnectionTest, AConnectThatTimesOutStartsTheNextOnAFreshDescriptor) {
    const test::Listener stalled = test::makeListener();
    ASSERT_EQ(socket_listen(stalled.socket->descriptor(), 0), 0);
    const test::FramePeer filler(stalled.port);  // the accept queue is full now
    const test::Listener working = test::makeListener();
    GameServerConnection connection;
    EXPECT_FALSE(connection.connect({"127.0.0.1", stalled.port}, 200ms));
    EXPECT_FALSE(connection.socket().isOpen());
    EXPECT_TRUE(connection.connect({"127.0.0.1", working.port}, 200ms));
    EXPECT_NE(test::acceptOne(working), nullptr);
}

}  // namespace
}  // namespace tarvendo
