#include <gtest/gtest.h>
#include <sys/socket.h>

#include <iterator>
#include <sstream>
#include <thread>
#include <tuple>

#include "bot/BotOptions.h"
#include "server/ServerOptions.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/Printers.h"
#include "support/RunningServer.h"

// The programs around the game's rules: the network shell with players on
// loopback, the command lines and what the programs exit with.
namespace tarvendo::test {
namespace {

using enum RequestCode;
using enum AnswerMessage;

Request loginOf(RequestCode code, const std::string& name, std::int32_t port) {
    return requestWith(
        code, std::nullopt,
        Json{{"player_name", name}, {"game_name", "G"}, {"client_server_port", port}});
}

// The message of the next answer; absent when none comes.
std::optional<AnswerMessage> nextMessage(FramePeer& peer) {
    const std::optional<ByteBuffer> frame = peer.nextFrame();
    const std::optional<Answer> answer = frame ? Answer::usingJson(*frame) : std::nullopt;
    return answer ? std::optional(answer->message) : std::nullopt;
}

// The shell around the rules, with Ann the admin watching. Input on the
// request port costs at most its own connection: undecodable frames are
// answered and the connection goes on, idle or not; an oversized frame
// ("GET " is one too) is refused and closes it. A login connects back to the
// client server at the address it came from. A player whose request
// connection closes, or whose pushes are not taken within the send limit,
// leaves and Ann is told.
TEST(HostTest, ConnectionsOverTheirLives) {
    server::GameServerSettings settings;
    settings.frames.stallTimeout = 300ms;
    settings.frames.totalTimeout = 2s;
    settings.host.push.sendTimeout = 200ms;
    RunningServer server(settings);
    TestPlayer ann(server.address());
    ann.join(loginAdmin, "Ann");
    const auto annIsToldOf = [&](const char* name, const std::string& why) {
        EXPECT_TRUE(ann.pushes.pushes.waitForMatch(
            [&](const Request& push) { return isPushFor(push, playerRemoved, name); }));
        EXPECT_TRUE(server.log.contains("playerRemoved \"" + std::string(name) + "\" " + why));
    };
    std::vector<std::unique_ptr<FramePeer>> silent;  // as many as one address may hold, and one
    for (int peer = 0; peer <= 32; ++peer) {
        silent.push_back(std::make_unique<FramePeer>(server.address().port, "127.0.0.2"));
    }
    silent.back()->socket().setTimeouts(500ms, 500ms);
    EXPECT_TRUE(silent.back()->seesEndOfStream()) << "one too many from 127.0.0.2, at once";
    TestPlayer dan(server.address());
    dan.join(loginPlayer, "Dan");  // from 127.0.0.1, meanwhile
    EXPECT_TRUE(silent.front()->seesEndOfStream()) << "no request within the first-request limit";
    FramePeer eve(server.address().port);
    for (const std::string payload :
         {"", "not json", "[1,2]", "{\"request\":9}", "{\"request\":\"0\"}"}) {
        SCOPED_TRACE(payload);
        eve.sendFrame(ByteBuffer::fromText(payload));
        EXPECT_EQ(nextMessage(eve), unknownRequest);
    }
    std::this_thread::sleep_for(600ms);  // idle for twice the stall limit
    PushSink evePushes;
    eve.send(loginOf(loginPlayer, "Eve", evePushes.port()));
    EXPECT_EQ(nextMessage(eve), OK);
    for (const ByteBuffer& oversized :
         {frameBytes(64 * 1024 + 1, "{\"request\":"), ByteBuffer::fromText("GET / HTTP/1.1\r\n")}) {
        FramePeer other(server.address().port);
        other.sendBytes(oversized);
        EXPECT_EQ(nextMessage(other), invalidData);
        EXPECT_TRUE(other.seesEndOfStream());
    }
    EXPECT_TRUE(server.log.contains("oversized frame from 127.0.0.1"));

    const Listener clientServer = makeListener();  // on 127.0.0.1 alone
    for (const auto& [from, expected] :
         {std::pair{"127.0.0.2", cantConnectToClientServer}, std::pair{"127.0.0.1", OK}}) {
        SCOPED_TRACE(from);
        FramePeer cid(server.address().port, from);
        cid.send(loginOf(loginPlayer, "Cid", clientServer.port));
        EXPECT_EQ(nextMessage(cid), expected);
    }
    EXPECT_TRUE(acceptOne(clientServer)) << "Cid's push connection";
    annIsToldOf("Cid", "request connection closed");

    const Listener stalled = makeListener();  // never accepts, never reads
    const int smallest = 1;
    ::setsockopt(stalled.socket->descriptor(), SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    RequestPeer bob(server.address());
    EXPECT_EQ(bob.login(loginPlayer, "Bob", stalled.port).value().message, OK);
    // Long titles soon fill every buffer on the way to Bob, beyond the send limit.
    EXPECT_TRUE(eventually(
        [&] {
            ann.client.send(initNewDeal, Json{{"title", std::string(40'000, 't')}});
            return server.log.contains("playerRemoved \"Bob\"", 20ms);
        },
        20s));
    annIsToldOf("Bob", "push connection failed");
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream words(text);
    return {std::istream_iterator<std::string>(words), {}};
}

// Both programs' command lines as an operator types them: the usage on
// --help and the version with status 0; the reason, the usage and status 2
// for a wrong line.
TEST(ProgramTest, CommandLines) {
    const std::string port = "--port takes a whole number from 0 to 65535, not ";
    const std::string address = "--server takes HOST:PORT with a port from 1 to 65535";
    const std::string two = "--server h:1 --players 2 ";
    const std::string server = "tarvendo-server", bot = "tarvendo-bot";
    // The program, the line, the status and a wrong line's reason or all that is printed.
    const std::tuple<std::string, std::string, int, std::string> rows[] = {
        {server, "--help", 0, server::serverUsage()},
        {bot, "--help " + two, 0, bot::botUsage()},
        {server, "--version", 0, server + " " TARVENDO_VERSION "\n"},
        {server, "--frobnicate --help", 2, "unknown option --frobnicate"},
        {server, "--port", 2, "--port needs a value"},
        {server, "--port 65536", 2, port + "\"65536\""},
        {server, "--port 12ab", 2, port + "\"12ab\""},
        {server, "--max-players 0", 2,
         "--max-players takes a whole number from 1 to 128, not \"0\""},
        {bot, "--players 2", 2, "--server HOST:PORT is required"},
        {bot, "--server h:1", 2, "--players N is required"},
        {bot, "--server h --players 2", 2, address},
        {bot, "--server h:0 --players 2", 2, address},
        {bot, two + "--vote 4", 2, "--vote takes random or a card of the deck, not \"4\""},
        {bot, two + "--deals 3", 2, "--deals needs --admin: only the admin leads deals"},
        {bot, two + "--client-port-base 65535", 2,
         "--client-port-base leaves no room for every player's port"},
    };
    for (const auto& [program, line, status, output] : rows) {
        SCOPED_TRACE(program + " " + line);
        const auto child = ChildProcess::start(TARVENDO_BIN_DIR "/" + program, words(line));
        ASSERT_TRUE(child);
        EXPECT_EQ(child->waitForExit(kPatience), status);
        const std::string usage = program == server ? server::serverUsage() : bot::botUsage();
        EXPECT_EQ(child->output(), status == 0 ? output : program + ": " + output + "\n" + usage);
    }
}

}  // namespace
}  // namespace tarvendo::test
