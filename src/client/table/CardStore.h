#pragma once

#include <QImage>
#include <QPointF>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "client/qt/Sound.h"
#include "client/table/Card.h"
#include "client/table/CardImageCache.h"

class QTimer;

namespace tarvendo::client {

class ClientSession;

// The local player's deck of twelve cards with its one selection. A selection
// that stands for the election delay is sent to the game server as the
// player's card and locks the deck until the next deal. Main thread only.
class CardStore {
public:
    static constexpr std::chrono::milliseconds kElectionDelay{2000};

    // Elects through the session's connection, in its player's name.
    explicit CardStore(ClientSession& session,
                       std::chrono::milliseconds electionDelay = kElectionDelay);
    ~CardStore();
    CardStore(const CardStore&) = delete;
    CardStore& operator=(const CardStore&) = delete;

    // Free: a click on a card's visible rectangle selects it and starts the
    // election timer. Pending: a click on the selected card un-selects it and
    // cancels the timer; other clicks change nothing. Locked: nothing.
    void selectIfNeeded(QPointF point);
    // The same for the card at the position, as the keyboard picks it.
    void selectAt(std::size_t position);
    // The card whose visible rectangle holds the point.
    std::optional<std::size_t> positionAt(QPointF point) const;
    // The election: sends the selected card's symbol, then locks the deck
    // whatever the answer.
    void timeout();
    // Ready for a new deal: no selection, no pending election, not locked.
    void reset();
    // The game server holds this card as the player's (after a comeback, or
    // an election that came back): selected and locked, as after an election.
    void keepElected(const QString& symbol);
    // One image per card, in deck order, resized by the factor.
    std::vector<QImage> scaled(double factor);

    const std::vector<Card>& cards() const { return store_; }
    // Where the deck view last showed the card at the position.
    void setVisibleRect(std::size_t position, const QRectF& rect);
    std::optional<std::size_t> selectedPosition() const { return selected_; }
    bool canChange() const { return canChange_; }

private:
    void select(std::size_t position);
    void unselect();
    void startElectionTimer();

    ClientSession& session_;
    const std::chrono::milliseconds electionDelay_;
    Sound sound_;  // the game server accepted the election
    std::vector<Card> store_;
    CardImageCache images_;
    std::optional<std::size_t> selected_;
    // The pending election, or the timer of this deal's election.
    std::unique_ptr<QTimer> timer_;
    bool canChange_ = true;
};

}  // namespace tarvendo::client
