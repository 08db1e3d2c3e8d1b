#include "client/table/CardStore.h"

#include <QTimer>

#include <algorithm>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "protocol/DeckSymbols.h"
#include "transport/Diagnostics.h"

namespace tarvendo::client {

namespace {

constexpr float kAcceptedVolume = 0.1f;

std::vector<Card> deckCards() {
    std::vector<Card> cards;
    cards.reserve(kDeckSymbols.size());
    for (const std::string_view symbol : kDeckSymbols) {
        cards.emplace_back(qText(symbol));
    }
    return cards;
}

// Top and left edges belong to the rectangle, bottom and right ones do not,
// so adjacent cards never share a point. QRectF::contains takes all four.
bool hits(const std::optional<QRectF>& rect, QPointF point) {
    return rect && rect->left() <= point.x() && point.x() < rect->right() &&
           rect->top() <= point.y() && point.y() < rect->bottom();
}

}  // namespace

CardStore::CardStore(ClientSession& session, std::chrono::milliseconds electionDelay)
    : session_(session),
      electionDelay_(electionDelay),
      sound_(QStringLiteral("qrc:/sounds/election_accepted.wav")),
      store_(deckCards()) {}

CardStore::~CardStore() = default;

void CardStore::selectIfNeeded(QPointF point) {
    if (const std::optional<std::size_t> position = positionAt(point)) {
        selectAt(*position);
    }
}

void CardStore::selectAt(std::size_t position) {
    if (!canChange_ || position >= store_.size()) {
        return;
    }
    // While a card is selected only that card answers: the player takes it
    // back before picking another.
    if (selected_) {
        if (*selected_ == position) {
            unselect();
        }
        return;
    }
    select(position);
}

std::optional<std::size_t> CardStore::positionAt(QPointF point) const {
    for (std::size_t position = 0; position < store_.size(); ++position) {
        if (hits(store_[position].visibleRect(), point)) {
            return position;
        }
    }
    return std::nullopt;
}

void CardStore::select(std::size_t position) {
    store_[position].setSelected(true);
    selected_ = position;
    startElectionTimer();
}

void CardStore::unselect() {
    if (selected_) {
        store_[*selected_].setSelected(false);
    }
    selected_.reset();
    timer_.reset();
}

void CardStore::startElectionTimer() {
    timer_ = std::make_unique<QTimer>();
    timer_->setSingleShot(true);
    // A coarse timer may fire up to 5 % early.
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(electionDelay_);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { timeout(); });
    timer_->start();
}

void CardStore::timeout() {
    if (!timer_) {
        return;
    }
    canChange_ = false;
    const Json election{{"player_name", session_.shared().playerName().value_or("")},
                        {"symbol", utf8Text(store_[*selected_].symbol())}};
    const std::optional<Answer> answer = session_.send(RequestCode::cardElected, election);
    if (!answer) {
        return;
    }
    if (answer->message == AnswerMessage::OK) {
        sound_.play(kAcceptedVolume);
    } else {
        printLine("Error in card election: " + answer->description());
    }
}

void CardStore::keepElected(const QString& symbol) {
    const auto card = std::find_if(store_.begin(), store_.end(),
                                   [&](const Card& each) { return each.symbol() == symbol; });
    if (card == store_.end()) {
        return;
    }
    unselect();
    card->setSelected(true);
    selected_ = static_cast<std::size_t>(card - store_.begin());
    canChange_ = false;
}

void CardStore::reset() {
    // Destroying the timer stops it: a reset election never fires.
    unselect();
    canChange_ = true;
}

std::vector<QImage> CardStore::scaled(double factor) {
    std::vector<QImage> images;
    images.reserve(store_.size());
    for (const Card& card : store_) {
        images.push_back(images_.scaledBy(card, factor));
    }
    return images;
}

void CardStore::setVisibleRect(std::size_t position, const QRectF& rect) {
    store_.at(position).setVisibleRect(rect);
}

}  // namespace tarvendo::client
