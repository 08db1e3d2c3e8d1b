#pragma once

#include <QWidget>

#include "client/qt/Sound.h"
#include "client/table/CardStore.h"
#include "session/EventObserver.h"
#include "session/Shared.h"

namespace tarvendo::client {

// The local player's cards in one overlapping row, from which the player
// picks a card with the mouse. The cards show from the play event on and
// hide at each new deal; the card the game server holds as this player's
// shows as elected.
class Deck : public QWidget {
public:
    explicit Deck(ClientSession& session, QWidget* parent = nullptr);
    ~Deck() override;

    bool canDrawCards() const { return canDrawCards_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void registerObservers();
    void drawCards(QPainter& painter);
    void newDealDidStart();
    void playDidStart();
    void ownCardDidCome(const QString& symbol);

    CardStore& cardStore_;
    const Shared& shared_;
    Sound sound_;  // the cards are dealt out
    bool canDrawCards_ = false;
    EventObserver observers_;
};

}  // namespace tarvendo::client
