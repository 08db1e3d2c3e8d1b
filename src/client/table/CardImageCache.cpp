#include "client/table/CardImageCache.h"

#include <QHashFunctions>
#include <QtMath>

#include "client/table/ImageScaling.h"

namespace tarvendo::client {

namespace {

constexpr qsizetype kBytesPerKiB = 1024;

CardImageCache::Key keyOf(const Card& card, double factor, QPointF fraction = {}, QSizeF box = {}) {
    return {card.symbol(), card.status(), card.isSelected(), factor, fraction, box};
}

}  // namespace

CardImageCache::CardImageCache(qsizetype budgetKiB) : images_(budgetKiB) {}

CardImageCache::Placed CardImageCache::fittedInto(const Card& card, const QRectF& box) {
    const QPoint topLeft(qFloor(box.x()), qFloor(box.y()));
    const QPointF fraction = box.topLeft() - QPointF(topLeft);
    return {topLeft, kept(keyOf(card, 0, fraction, box.size()),
                          [&] { return shiftedBy(scaledTo(card.image(), box.size()), fraction); })};
}

QImage CardImageCache::scaledBy(const Card& card, double factor) {
    return kept(keyOf(card, factor), [&] { return scaled(card.image(), factor); });
}

QImage CardImageCache::kept(const Key& key, const std::function<QImage()>& draw) {
    if (const QImage* image = images_.object(key)) {
        return *image;
    }
    QImage image = draw();
    // An image over the whole budget is not kept: QCache deletes it at once.
    images_.insert(key, new QImage(image),
                   std::max<qsizetype>(1, image.sizeInBytes() / kBytesPerKiB));
    return image;
}

size_t qHash(const CardImageCache::Key& key, size_t seed) {
    return qHashMulti(seed, key.symbol, int(key.status), key.selected, key.factor, key.fraction.x(),
                      key.fraction.y(), key.box.width(), key.box.height());
}

}  // namespace tarvendo::client
