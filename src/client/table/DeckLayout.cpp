#include "client/table/DeckLayout.h"

#include "client/table/Card.h"
#include "client/table/ImageScaling.h"

namespace tarvendo::client {

namespace {

constexpr double kOverlap = 0.85;  // of a card's width, to the next card
constexpr double kRaise = 0.15;    // of a card's height

}  // namespace

DeckLayout DeckLayout::forBounds(const QRectF& bounds, std::size_t cardCount, double scale) {
    const double margin = kHorizontalMargin * scale;
    const double available = bounds.width() - 2 * margin;
    const double perCard = available / double(cardCount);
    const double naturalWidth = Card::kSize.width();
    DeckLayout layout;
    layout.factor = perCard < naturalWidth * scale ? perCard / naturalWidth : scale;
    // The images keep their natural size where the factor cannot scale them.
    const double applied = isScaleFactor(layout.factor) ? layout.factor : 1;
    layout.cardWidth = naturalWidth * applied;
    layout.cardHeight = Card::kSize.height() * applied;
    layout.step = kOverlap * layout.cardWidth;
    layout.restingTop = bounds.y() + (bounds.height() - (1 + kRaise) * layout.cardHeight) * 0.5;
    layout.raisedTop = layout.restingTop - kRaise * layout.cardHeight;
    layout.firstLeft = bounds.x() + margin + (available - double(cardCount) * layout.step) * 0.5;
    return layout;
}

QRectF DeckLayout::cardRect(std::size_t position, bool selected) const {
    return {firstLeft + double(position) * step, selected ? raisedTop : restingTop, cardWidth,
            cardHeight};
}

QRectF DeckLayout::visibleRect(std::size_t position, bool selected) const {
    QRectF rect = cardRect(position, selected);
    rect.setWidth(step);
    return rect;
}

}  // namespace tarvendo::client
