// Redraws the admin's main view at 1008 x 720 on the software raster, with
// 24 players seated, their cards open and the deck shown, and reports how
// long each full redraw into an image takes.
#include <QImage>
#include <QPainter>

#include <cstdio>

#include "BenchResult.h"
#include "CardStore.h"
#include "Deck.h"
#include "Desktop.h"
#include "MainView.h"
#include "NotificationCenter.h"
#include "QtBench.h"
#include "Workspace.h"

namespace {

using namespace tarvendo;
using namespace tarvendo::bench;
using namespace std::chrono_literals;

constexpr QSize kViewSize{1008, 720};
constexpr int kWarmUps = 5;
constexpr int kSamples = 200;
constexpr const char* kSymbols[] = {"0", "½", "1", "2", "3", "5", "8", "13", "20", "40", "?", "∞"};

void post(Event event, UserInfo info = {}) {
    NotificationCenter::defaultCenter().post(event, std::move(info));
}

// What the pushes of a finished deal leave on the admin's table.
void seatPlayersAndOpenCards() {
    post(Event::userIsLoggedIn, UserInfo().setBoolean("is_admin", true));
    for (int number = 1; number <= kTablePlayers; ++number) {
        post(Event::playerDidAdd, UserInfo().setText("player_name", playerName(number)));
    }
    post(Event::initNewDeal, UserInfo().setText("title", "Deal 1"));
    post(Event::play);
    for (int number = 1; number <= kTablePlayers; ++number) {
        post(Event::cardElected, UserInfo()
                                     .setText("player_name", playerName(number))
                                     .setText("symbol", kSymbols[number % std::size(kSymbols)]));
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
    client::CardStore cardStore;
    client::MainView view(cardStore, nullptr);
    view.resize(kViewSize);
    view.show();
    seatPlayersAndOpenCards();
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
