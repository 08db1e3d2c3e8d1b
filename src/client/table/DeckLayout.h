#pragma once

#include <QRectF>

#include <cstddef>

namespace tarvendo::client {

// Where the deck view puts its cards: one row, each card covering the right
// 15 % of the one before, centred in the view and never larger than 200 x 260
// times the scale (1 at the window's default size, up to 2), which also
// widens the margins.
struct DeckLayout {
    static constexpr double kHorizontalMargin = 10;

    double factor = 1;      // applied to the card images
    double cardWidth = 0;   // W
    double cardHeight = 0;  // H
    double step = 0;        // from one card's left edge to the next
    double restingTop = 0;
    double raisedTop = 0;  // a selected card sticks out by 15 % of its height
    double firstLeft = 0;

    static DeckLayout forBounds(const QRectF& bounds, std::size_t cardCount, double scale = 1);

    // Where the card at the position is drawn.
    QRectF cardRect(std::size_t position, bool selected) const;
    // The part of it no later card covers: what clicks are tested against.
    QRectF visibleRect(std::size_t position, bool selected) const;
};

}  // namespace tarvendo::client
