#include "client/table/Deck.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "client/table/DeckLayout.h"
#include "client/table/ImageScaling.h"
#include "client/table/Texture.h"
#include "protocol/DeckSymbols.h"

namespace tarvendo::client {

namespace {

constexpr double kRingWidth = 3;
constexpr double kRingInset = 2;  // inside the card's image, at its natural size

// The deck card a key types: its symbol where a key has one, "h" for ½.
std::optional<std::size_t> typedCard(const QString& text) {
    if (text.compare(QStringLiteral("h"), Qt::CaseInsensitive) == 0) {
        return deckPosition("½");
    }
    return text.isEmpty() ? std::nullopt : deckPosition(utf8Text(text));
}

}  // namespace

Deck::Deck(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      cardStore_(session.cardStore()),
      shared_(session.shared()),
      sound_(QStringLiteral("qrc:/sounds/cards_dealt.wav")),
      observers_(session.center()) {
    setFocusPolicy(Qt::StrongFocus);
    installAccessibleItems();
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
    changeSelection([this] { cardStore_.reset(); });
    canDrawCards_ = false;
    focusPosition_ = 0;
}

void Deck::ownCardDidCome(const QString& symbol) {
    changeSelection([&] { cardStore_.keepElected(symbol); });
}

void Deck::playDidStart() {
    canDrawCards_ = true;
    update();
    sound_.play();
    // The keyboard picks a card from here on, as the mouse does.
    setFocus(Qt::OtherFocusReason);
}

void Deck::setScale(double scale) {
    scale_ = scale;
    update();
}

void Deck::changeSelection(const std::function<void()>& change) {
    const std::optional<std::size_t> before = cardStore_.selectedPosition();
    const bool couldChange = cardStore_.canChange();
    change();
    const std::optional<std::size_t> after = cardStore_.selectedPosition();
    if (before != after || couldChange != cardStore_.canChange()) {
        QAccessible::State changed;
        changed.selected = true;
        changed.checked = true;
        for (const std::optional<std::size_t>& position : {before, after}) {
            if (position) {
                announceItemState(this, int(*position), changed);
            }
        }
    }
    update();
}

void Deck::moveFocusTo(std::size_t position) {
    focusPosition_ = position;
    announceItem(this, int(position), QAccessible::Focus);
    update();
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
    const DeckLayout layout = DeckLayout::forBounds(rect(), cards.size(), scale_);
    // Drawn at the screen's pixels, so they stay sharp on any display.
    const std::vector<QImage> images = cardStore_.scaled(layout.factor * devicePixelRatioF());
    // Cards show only where the background under them is opaque.
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t position = 0; position < cards.size(); ++position) {
        const bool selected = cards[position].isSelected();
        painter.drawImage(layout.cardRect(position, selected), images[position],
                          imageRect(images[position]));
        cardStore_.setVisibleRect(position, layout.visibleRect(position, selected));
    }
    if (hasFocus()) {
        drawFocusRing(painter, layout);
    }
}

void Deck::drawFocusRing(QPainter& painter, const DeckLayout& layout) {
    const bool selected = cardStore_.cards()[focusPosition_].isSelected();
    const double inset = kRingInset * layout.factor;
    const QRectF ring =
        layout.cardRect(focusPosition_, selected).adjusted(inset, inset, -inset, -inset);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), kRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring, Card::kRadius * layout.factor, Card::kRadius * layout.factor);
}

void Deck::mouseReleaseEvent(QMouseEvent* event) {
    // Nobody elects a card they cannot see.
    if (event->button() != Qt::LeftButton || !canDrawCards_) {
        return;
    }
    const std::optional<std::size_t> position = cardStore_.positionAt(event->position());
    if (position && cardStore_.canChange()) {
        focusPosition_ = *position;
    }
    changeSelection([&] { cardStore_.selectIfNeeded(event->position()); });
}

void Deck::keyPressEvent(QKeyEvent* event) {
    if (!canDrawCards_ || !handleKey(*event)) {
        QWidget::keyPressEvent(event);
    }
}

bool Deck::handleKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const std::size_t last = cardStore_.cards().size() - 1;
    const std::optional<std::size_t> selected = cardStore_.selectedPosition();
    switch (event.key()) {
        case Qt::Key_Left:
            moveFocusTo(focusPosition_ > 0 ? focusPosition_ - 1 : 0);
            return true;
        case Qt::Key_Right:
            moveFocusTo(std::min(focusPosition_ + 1, last));
            return true;
        case Qt::Key_Home:
            moveFocusTo(0);
            return true;
        case Qt::Key_End:
            moveFocusTo(last);
            return true;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            changeSelection([this] { cardStore_.selectAt(focusPosition_); });
            return true;
        case Qt::Key_Escape:
            // Takes back a pending pick, as a second click on it does.
            if (selected) {
                changeSelection([&] { cardStore_.selectAt(*selected); });
            }
            return selected.has_value();
        default:
            break;
    }
    const std::optional<std::size_t> typed = typedCard(event.text());
    if (typed && cardStore_.canChange()) {
        moveFocusTo(*typed);
        changeSelection([&] { cardStore_.selectAt(*typed); });
    }
    return typed.has_value();
}

int Deck::accessibleItemCount() const {
    return int(cardStore_.cards().size());
}

QString Deck::accessibleItemName(int index) const {
    const auto& cards = cardStore_.cards();
    return index >= 0 && std::size_t(index) < cards.size()
               ? QStringLiteral("Card ") + cards[std::size_t(index)].symbol()
               : QString();
}

QRect Deck::accessibleItemRect(int index) const {
    const auto& cards = cardStore_.cards();
    const bool known = index >= 0 && std::size_t(index) < cards.size() && canDrawCards_;
    const std::optional<QRectF>& rect =
        known ? cards[std::size_t(index)].visibleRect() : std::nullopt;
    return rect ? rect->toAlignedRect() : QRect();
}

QAccessible::State Deck::accessibleItemState(int index) const {
    QAccessible::State state;
    const auto position = std::size_t(index);
    state.invisible = !canDrawCards_;
    state.focusable = true;
    state.focused = hasFocus() && position == focusPosition_;
    state.selectable = cardStore_.canChange();
    state.selected = cardStore_.selectedPosition() == position;
    // The elected card is the selection of a locked deck.
    state.checkable = true;
    state.checked = state.selected && !cardStore_.canChange();
    return state;
}

}  // namespace tarvendo::client
