#pragma once

#include <QCache>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QString>

#include <functional>

#include "client/table/Card.h"

namespace tarvendo::client {

// Card images resized for a view, drawn once per look and size and then
// reused: drawing one lays out a 120-pixel symbol and strokes an antialiased
// outline, and a table of 24 players redrawn that way takes several frames.
// The least recently used images go once the budget is spent. Main thread only.
class CardImageCache {
public:
    static constexpr qsizetype kDefaultBudgetKiB = qsizetype{8} * 1024;

    // An image to draw unscaled with its top left corner at a whole device
    // pixel; its device pixel ratio is the one asked for.
    struct Placed {
        QPointF topLeft;
        QImage image;
    };

    explicit CardImageCache(qsizetype budgetKiB = kDefaultBudgetKiB);

    // The same pixels as scaledTo(card.image(), box.size()) drawn by a smooth
    // painter at the box's top left corner, which may lie between pixels; on
    // a screen of that device pixel ratio, and never enlarged from a smaller
    // drawing.
    Placed fittedInto(const Card& card, const QRectF& box, double pixelRatio = 1);
    // What scaled(card.image(), factor) gives, or above 1 the card drawn at
    // that size.
    QImage scaledBy(const Card& card, double factor);
    // The memory the kept images take.
    qsizetype keptKiB() const { return images_.totalCost(); }

    // A card's look and how its image was resized: by a factor, or into a
    // box of that size starting that fraction of a pixel right and down.
    struct Key {
        QString symbol;
        CardStatus status;
        bool selected;
        double factor;
        QPointF fraction;
        QSizeF box;

        bool operator==(const Key&) const = default;
    };

private:
    QImage kept(const Key& key, const std::function<QImage()>& draw);

    QCache<Key, QImage> images_;
};

size_t qHash(const CardImageCache::Key& key, size_t seed = 0);

}  // namespace tarvendo::client
