#pragma once

#include <QFont>
#include <QPainter>
#include <QWidget>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "client/table/Card.h"
#include "client/table/CardImageCache.h"
#include "session/EventObserver.h"
#include "session/PlayerStore.h"

namespace tarvendo::client {

class ClientSession;

// The table: every player's name with the card the player holds in the current
// deal, face down until the cards are opened. Keeps its own record of the
// players from the pushed events.
class Desktop : public QWidget {
public:
    static constexpr int kRows = 3;
    static constexpr int kColumns = 8;
    static constexpr int kNamePixelSize = 16;

    // A player's place at the table and the card shown there.
    struct Seat {
        std::string playerName;
        QRectF cell;
        Card card;
    };

    explicit Desktop(ClientSession& session, QWidget* parent = nullptr);
    ~Desktop() override;

    // The cells of a grid over the whole view, in reading order; empty unless
    // both counts are positive.
    std::vector<QRectF> crissCross(int rows, int columns) const;
    // Every player in ascending order of the name's UTF-8 bytes, so capitals
    // come first. Three rows of eight; more players add rows of eight.
    std::vector<Seat> seats();
    bool isOpened() const { return opened_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The change runs on the posting thread; a redraw follows if it reports
    // that it changed something.
    void observe(Event event, std::function<bool(const UserInfo&)> change);
    void registerObservers();
    bool addPlayer(const UserInfo& info);
    bool removePlayer(const UserInfo& info);
    bool storeElectedCard(const UserInfo& info);
    void queueRedraw();
    Card shownCard(const std::string& symbol, bool opened) const;
    void drawSeat(QPainter& painter, const Seat& seat, QPainter::CompositionMode cardMode);

    const QFont nameFont_;
    CardImageCache cardImages_;  // main thread only, like painting
    PlayerStore playerStore_;
    // Written on connection threads, read when drawing; each write is
    // followed by a queued redraw.
    std::atomic<bool> opened_{false};
    EventObserver observers_;
};

}  // namespace tarvendo::client
