// The client's own client server in this process, with the desktop view on
// the offscreen platform: a push frame is written to the client server's
// socket, and the time until the desktop's paintEvent has run is reported.
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "bench/BenchResult.h"
#include "bench/QtBench.h"
#include "client/ClientSession.h"
#include "client/table/Desktop.h"
#include "protocol/Request.h"
#include "protocol/ToolBox.h"
#include "session/ClientServerThread.h"
#include "transport/Frame.h"
#include "transport/ServingThread.h"
#include "transport/SocketPrimitives.h"

namespace {

using namespace tarvendo;
using namespace tarvendo::bench;
using namespace std::chrono_literals;

// The desktop's size in a 1008 x 720 main view: its 70 % share.
constexpr QSize kDesktopSize{1008, 504};
constexpr int kRounds = 150;  // two timed pushes each
constexpr auto kPaintLimit = 2s;
constexpr const char* kToken = "bench-token";

// The desktop with a hook that tells when its paintEvent is over.
class TimedDesktop : public client::Desktop {
public:
    using Desktop::Desktop;
    std::function<void()> painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        Desktop::paintEvent(event);
        if (painted) {
            painted();
        }
    }
};

// The game server's side of the push connection.
class PushSender {
public:
    explicit PushSender(std::shared_ptr<Socket> socket) : socket_(std::move(socket)) {}

    bool send(RequestCode code, const std::optional<Json>& body = std::nullopt) const {
        const std::optional<ByteBuffer> data = body ? ToolBox::toJsonObject(body) : std::nullopt;
        const std::optional<ByteBuffer> json = Request{code, kToken, std::nullopt, data}.json();
        return json && writeFrame(*socket_, *json);
    }

private:
    std::shared_ptr<Socket> socket_;
};

// Sends a push and runs the event loop until the desktop has painted; the
// milliseconds from the write until then, absent when no paint came.
std::optional<double> pushUntilPainted(TimedDesktop& desktop, const std::function<bool()>& push) {
    QEventLoop loop;
    std::optional<BenchClock::time_point> paintedAt;
    desktop.painted = [&] {
        paintedAt = BenchClock::now();
        loop.quit();
    };
    QTimer::singleShot(kPaintLimit, &loop, [&loop] { loop.quit(); });
    const BenchClock::time_point start = BenchClock::now();
    if (push()) {
        loop.exec();
    }
    desktop.painted = nullptr;
    return paintedAt ? std::optional(milliseconds(*paintedAt - start)) : std::nullopt;
}

std::shared_ptr<Socket> connectTo(std::int32_t port) {
    std::shared_ptr<Socket> socket = Socket::create();
    if (!socket || connect_socket(socket->descriptor(), "127.0.0.1", std::uint16_t(port)) != 0) {
        return nullptr;
    }
    return socket;
}

bool seatPlayers(const PushSender& sender, TimedDesktop& desktop) {
    for (int number = 1; number <= kTablePlayers; ++number) {
        if (!sender.send(RequestCode::playerAdded, Json{{"player_name", playerName(number)}})) {
            return false;
        }
    }
    return processEventsUntil([&] { return desktop.seats().size() == std::size_t(kTablePlayers); },
                              10s);
}

// Per round: a new deal (not timed), one player's election and the opening.
std::optional<std::vector<double>> measure(const PushSender& sender, TimedDesktop& desktop) {
    std::minstd_rand random(7);
    std::vector<double> samples;
    for (int round = 0; round < kRounds; ++round) {
        const Json title{{"title", "Deal " + std::to_string(round)}};
        const Json election{{"player_name", playerName(int(random() % kTablePlayers) + 1)},
                            {"symbol", "13"}};
        const std::function<bool()> pushes[] = {
            [&] { return sender.send(RequestCode::initNewDeal, title); },
            [&] { return sender.send(RequestCode::cardElected, election); },
            [&] {
                return sender.send(RequestCode::openCards);
            }};
        for (std::size_t i = 0; i < std::size(pushes); ++i) {
            const std::optional<double> latency = pushUntilPainted(desktop, pushes[i]);
            if (!latency) {
                return std::nullopt;
            }
            if (i > 0) {
                samples.push_back(*latency);
            }
        }
    }
    return samples;
}

int run(client::ClientSession& session, std::int32_t clientServerPort) {
    TimedDesktop desktop(session);
    desktop.resize(kDesktopSize);
    desktop.show();
    const std::shared_ptr<Socket> socket = connectTo(clientServerPort);
    const PushSender sender(socket);
    if (!socket || !seatPlayers(sender, desktop)) {
        std::fprintf(stderr, "push_to_paint: the desktop never showed every player\n");
        return 1;
    }
    const std::optional<std::vector<double>> samples = measure(sender, desktop);
    if (!samples) {
        std::fprintf(stderr, "push_to_paint: a push never reached the desktop\n");
        return 1;
    }
    printResult("push to desktop repaint (cardElected, openCards)", *samples, {2, "ms"});
    return 0;
}

// The client server listens on a thread of its own, as in the client.
int serveAndRun() {
    client::ClientSession session;
    session.shared().setToken(kToken);
    const auto delegate = std::make_shared<ClientServerDelegate>(session.pushReceiver());
    const std::unique_ptr<ServingThread> clientServer =
        ServingThread::start(Server::create(delegate), 0);
    if (!clientServer) {
        std::fprintf(stderr, "push_to_paint: the client server cannot listen\n");
        return 1;
    }
    return run(session, clientServer->port());
}

}  // namespace

int main(int argc, char** argv) {
    return runWithQt(argc, argv, serveAndRun);
}
