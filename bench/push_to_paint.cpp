// The client's own client server in this process, with the desktop view on
// the offscreen platform: a push frame is written to the client server's
// socket, and the time until the desktop's paintEvent has run is reported;
// then again with the results strip and chart beside the desktop, until
// both have painted.
#include <QEventLoop>
#include <QHBoxLayout>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "bench/BenchResult.h"
#include "bench/QtBench.h"
#include "client/ClientSession.h"
#include "client/results/DealTracker.h"
#include "client/results/ResultsChart.h"
#include "client/results/ResultsPanel.h"
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
constexpr int kResultsShare = 3;  // of ten, beside the desktop
constexpr int kRounds = 150;      // two timed pushes each
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

// Tells when a paint pass that painted the results chart is over: the chart
// paints within its window's pass, and a task queued then runs after it.
class ChartPaints : public QObject {
public:
    std::function<void()> passOver;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && passOver) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (passOver) {
                        passOver();
                    }
                },
                Qt::QueuedConnection);
        }
        return false;
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

// Sends a push and runs the event loop until the desktop has painted, and
// the chart too when there is one; the milliseconds from the write until
// then, absent when no paint came.
std::optional<double> pushUntilPainted(TimedDesktop& desktop, ChartPaints* chart,
                                       const std::function<bool()>& push) {
    QEventLoop loop;
    std::optional<BenchClock::time_point> paintedAt;
    bool desktopPainted = false;
    bool chartPainted = chart == nullptr;
    const auto finishWhenBoth = [&] {
        if (desktopPainted && chartPainted) {
            paintedAt = BenchClock::now();
            loop.quit();
        }
    };
    desktop.painted = [&] {
        desktopPainted = true;
        finishWhenBoth();
    };
    if (chart != nullptr) {
        chart->passOver = [&] {
            chartPainted = true;
            finishWhenBoth();
        };
    }
    QTimer::singleShot(kPaintLimit, &loop, [&loop] { loop.quit(); });
    const BenchClock::time_point start = BenchClock::now();
    if (push()) {
        loop.exec();
    }
    desktop.painted = nullptr;
    if (chart != nullptr) {
        chart->passOver = nullptr;
    }
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
            const std::optional<double> latency = pushUntilPainted(desktop, nullptr, pushes[i]);
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

bool voteUntilOneIsLeft(const PushSender& sender, TimedDesktop& desktop) {
    for (int number = 1; number < kTablePlayers; ++number) {
        const Json election{{"player_name", playerName(number)}, {"symbol", "5"}};
        if (!sender.send(RequestCode::cardElected, election)) {
            return false;
        }
    }
    return processEventsUntil(
        [&] {
            const auto players = desktop.table().players;
            return std::count_if(players.begin(), players.end(), [](const auto& player) {
                       return player.second == "5";
                   }) == kTablePlayers - 1;
        },
        10s);
}

// Per round: a new deal and 23 elections (not timed), then the opening,
// which shows the results, and the last player's late vote, which changes
// them: two costs, sampled apart. The first round, which makes the chart,
// is not counted.
using ResultsSamples = std::array<std::vector<double>, 2>;
std::optional<ResultsSamples> measureWithResults(const PushSender& sender, TimedDesktop& desktop,
                                                 client::ResultsPanel& results) {
    ChartPaints chartPaints;
    bool watching = false;
    ResultsSamples samples;
    for (int round = 0; round < kRounds; ++round) {
        const Json title{{"title", "Deal " + std::to_string(round)}};
        const Json lateVote{{"player_name", playerName(kTablePlayers)}, {"symbol", "8"}};
        if (!pushUntilPainted(desktop, nullptr,
                              [&] { return sender.send(RequestCode::initNewDeal, title); }) ||
            !voteUntilOneIsLeft(sender, desktop)) {
            return std::nullopt;
        }
        const std::function<bool()> pushes[] = {[&] { return sender.send(RequestCode::openCards); },
                                                [&] {
                                                    return sender.send(RequestCode::cardElected,
                                                                       lateVote);
                                                }};
        for (std::size_t i = 0; i < std::size(pushes); ++i) {
            if (results.chart() != nullptr && !watching) {
                results.chart()->viewport()->installEventFilter(&chartPaints);
                watching = true;
            }
            const std::optional<double> latency =
                pushUntilPainted(desktop, watching ? &chartPaints : nullptr, pushes[i]);
            if (!latency) {
                return std::nullopt;
            }
            if (round > 0) {
                samples[i].push_back(*latency);
            }
        }
    }
    return samples;
}

int runWithResults(client::ClientSession& session, std::int32_t clientServerPort) {
    QWidget table;
    auto* layout = new QHBoxLayout(&table);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* desktop = new TimedDesktop(session);
    auto* results = new client::ResultsPanel;
    layout->addWidget(desktop, 10 - kResultsShare);
    layout->addWidget(results, kResultsShare);
    const client::DealTracker tracker(*desktop);
    QObject::connect(&tracker, &client::DealTracker::openDealChanged, results, [&] {
        results->showDeal(tracker.openDeal() ? &*tracker.openDeal() : nullptr);
    });
    table.resize(kDesktopSize);
    table.show();
    const std::shared_ptr<Socket> socket = connectTo(clientServerPort);
    const PushSender sender(socket);
    if (!socket || !seatPlayers(sender, *desktop)) {
        std::fprintf(stderr, "push_to_paint: the desktop never showed every player\n");
        return 1;
    }
    const std::optional<ResultsSamples> samples = measureWithResults(sender, *desktop, *results);
    if (!samples) {
        std::fprintf(stderr, "push_to_paint: a push never reached the results\n");
        return 1;
    }
    printResult("push to repaint, results shown: openCards", (*samples)[0], {2, "ms"});
    printResult("push to repaint, results shown: late vote", (*samples)[1], {2, "ms"});
    return 0;
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
    const int status = run(session, clientServer->port());
    return status != 0 ? status : runWithResults(session, clientServer->port());
}

}  // namespace

int main(int argc, char** argv) {
    return runWithQt(argc, argv, serveAndRun);
}
