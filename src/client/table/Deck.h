#pragma once

#include <QWidget>

#include <functional>

#include "client/qt/Sound.h"
#include "client/table/AccessibleItems.h"
#include "client/table/CardStore.h"
#include "session/EventObserver.h"
#include "session/Shared.h"

namespace tarvendo::client {

struct DeckLayout;

// The local player's cards in one overlapping row, from which the player
// picks a card with the mouse or the keyboard. The cards show from the play
// event on and hide at each new deal; the card the game server holds as this
// player's shows as elected.
class Deck : public QWidget, public AccessibleItems {
    Q_OBJECT

public:
    explicit Deck(ClientSession& session, QWidget* parent = nullptr);
    ~Deck() override;

    bool canDrawCards() const { return canDrawCards_; }
    // The card the keyboard is on: its ring shows while the deck has the focus.
    std::size_t focusPosition() const { return focusPosition_; }
    // Cards may grow with the window, from 1 at its default size up to 2.
    void setScale(double scale);
    double scale() const { return scale_; }

    QAccessible::Role accessibleItemRole() const override { return QAccessible::ListItem; }
    int accessibleItemCount() const override;
    // "Card 5"; its state says selected, and elected once the deck is locked.
    QString accessibleItemName(int index) const override;
    QRect accessibleItemRect(int index) const override;
    QAccessible::State accessibleItemState(int index) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void registerObservers();
    void drawCards(QPainter& painter);
    void drawFocusRing(QPainter& painter, const DeckLayout& layout);
    void newDealDidStart();
    void playDidStart();
    void ownCardDidCome(const QString& symbol);
    // Runs a change of the selection and tells who needs to know.
    void changeSelection(const std::function<void()>& change);
    void moveFocusTo(std::size_t position);
    bool handleKey(const QKeyEvent& event);

    CardStore& cardStore_;
    const Shared& shared_;
    Sound sound_;  // the cards are dealt out
    bool canDrawCards_ = false;
    std::size_t focusPosition_ = 0;
    double scale_ = 1;
    EventObserver observers_;
};

}  // namespace tarvendo::client
