#include "client/table/Deck.h"

#include <QMouseEvent>
#include <QPainter>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "client/table/DeckLayout.h"
#include "client/table/ImageScaling.h"
#include "client/table/Texture.h"

namespace tarvendo::client {

Deck::Deck(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      cardStore_(session.cardStore()),
      shared_(session.shared()),
      sound_(QStringLiteral("qrc:/sounds/cards_dealt.wav")),
      observers_(session.center()) {
    registerObservers();
}

Deck::~Deck() {
    // Before any member goes: a block may be running on a connection thread.
    observers_.removeObservers();
}

void Deck::registerObservers() {
    // The blocks run on the posting thread and only hand the work to this
    // view's thread; a task still queued when the view goes is dropped.
    observers_.registerEvent(Event::initNewDeal, [this](const Notification&) {
        QMetaObject::invokeMethod(
            this, [this] { newDealDidStart(); }, Qt::QueuedConnection);
    });
    observers_.registerEvent(Event::play, [this](const Notification&) {
        QMetaObject::invokeMethod(
            this, [this] { playDidStart(); }, Qt::QueuedConnection);
    });
    observers_.registerEvent(Event::cardElected, [this](const Notification& posted) {
        const auto name = posted.userInfo.get<std::string>("player_name");
        const auto symbol = posted.userInfo.get<std::string>("symbol");
        if (name && symbol && name == shared_.playerName()) {
            QMetaObject::invokeMethod(
                this, [this, symbol = qText(*symbol)] { ownCardDidCome(symbol); },
                Qt::QueuedConnection);
        }
    });
}

void Deck::newDealDidStart() {
    cardStore_.reset();
    canDrawCards_ = false;
    update();
}

void Deck::ownCardDidCome(const QString& symbol) {
    cardStore_.keepElected(symbol);
    update();
}

void Deck::playDidStart() {
    canDrawCards_ = true;
    update();
    sound_.play();
}

void Deck::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), textureBrush());
    if (canDrawCards_) {
        drawCards(painter);
    }
}

void Deck::drawCards(QPainter& painter) {
    const std::vector<Card>& cards = cardStore_.cards();
    const DeckLayout layout = DeckLayout::forBounds(rect(), cards.size());
    const std::vector<QImage> images = cardStore_.scaled(layout.factor);
    // Cards show only where the background under them is opaque.
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t position = 0; position < cards.size(); ++position) {
        const bool selected = cards[position].isSelected();
        painter.drawImage(layout.cardRect(position, selected), images[position],
                          imageRect(images[position]));
        cardStore_.setVisibleRect(position, layout.visibleRect(position, selected));
    }
}

void Deck::mouseReleaseEvent(QMouseEvent* event) {
    // Nobody elects a card they cannot see.
    if (event->button() != Qt::LeftButton || !canDrawCards_) {
        return;
    }
    cardStore_.selectIfNeeded(event->position());
    update();
}

}  // namespace tarvendo::client
