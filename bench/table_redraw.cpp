// Redraws the admin's main view at 1008 x 720 on the software raster, with
// 24 players seated, their cards open and the deck shown, and reports how
// long each full redraw into an image takes.
#include <QImage>
#include <QPainter>

#include <cstdio>

#include "bench/BenchResult.h"
#include "bench/QtBench.h"
#include "client/ClientSession.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"
#include "client/table/MainView.h"
#include "client/table/Workspace.h"
#include "protocol/DeckSymbols.h"
#include "session/NotificationCenter.h"

namespace {

using namespace tarvendo;
using namespace tarvendo::bench;
using namespace std::chrono_literals;

constexpr QSize kViewSize{1008, 720};
constexpr int kWarmUps = 5;
constexpr int kSamples = 200;

// What the pushes of a finished deal leave on the admin's table.
void seatPlayersAndOpenCards(NotificationCenter& center) {
    const auto post = [&center](Event event, UserInfo info = {}) {
        center.post(event, std::move(info));
    };
    post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", true));
    for (int number = 1; number <= kTablePlayers; ++number) {
        post(Event::playerDidAdd, UserInfo().setText("player_name", playerName(number)));
    }
    post(Event::initNewDeal, UserInfo().setText("title", "Deal 1"));
    post(Event::play);
    for (int number = 1; number <= kTablePlayers; ++number) {
        post(Event::cardElected,
             UserInfo()
                 .setText("player_name", playerName(number))
                 .setText("symbol", std::string(kDeckSymbols[number % kDeckSymbols.size()])));
    }
    post(Event::openCards);
}

bool tableIsReady(client::MainView& view) {
    client::Workspace& workspace = *view.workspace();
    return workspace.deck()->canDrawCards() && workspace.desktop()->isOpened() &&
           workspace.desktop()->seats().size() == std::size_t(kTablePlayers);
}

double timedRedraw(client::MainView& view, QImage& image) {
    const BenchClock::time_point start = BenchClock::now();
    view.render(&image);
    return milliseconds(BenchClock::now() - start);
}

int run() {
    client::ClientSession session;
    client::MainView view(session);
    view.resize(kViewSize);
    view.show();
    seatPlayersAndOpenCards(session.center());
    if (!processEventsUntil([&view] { return tableIsReady(view); }, 10s)) {
        std::fprintf(stderr, "table_redraw: the table never showed every player\n");
        return 1;
    }
    QImage image(kViewSize, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < kWarmUps; ++i) {
        timedRedraw(view, image);
    }
    std::vector<double> samples;
    for (int i = 0; i < kSamples; ++i) {
        samples.push_back(timedRedraw(view, image));
    }
    printResult("main view full redraw, 1008x720, 24 players + deck", samples, {8, "ms"});
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return runWithQt(argc, argv, run);
}
