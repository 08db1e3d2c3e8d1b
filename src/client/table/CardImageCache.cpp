#include "client/table/CardImageCache.h"

#include <QHashFunctions>
#include <QtMath>

#include <algorithm>

#include "client/table/ImageScaling.h"

namespace tarvendo::client {

namespace {

constexpr qsizetype kBytesPerKiB = 1024;

CardImageCache::Key keyOf(const Card& card, double factor, QPointF fraction = {}, QSizeF box = {}) {
    return {card.symbol(), card.status(), card.isSelected(), factor, fraction, box};
}

}  // namespace

CardImageCache::CardImageCache(qsizetype budgetKiB) : images_(budgetKiB) {}

CardImageCache::Placed CardImageCache::fittedInto(const Card& card, const QRectF& box,
                                                  double pixelRatio) {
    const QRectF pixels(box.topLeft() * pixelRatio, box.size() * pixelRatio);
    const QPoint topLeft(qFloor(pixels.x()), qFloor(pixels.y()));
    const QPointF fraction = pixels.topLeft() - QPointF(topLeft);
    const double fit =
        std::min(pixels.width() / Card::kSize.width(), pixels.height() / Card::kSize.height());
    QImage image = kept(keyOf(card, 0, fraction, pixels.size()), [&] {
        const QImage drawn = card.image(std::max(1.0, fit));
        return shiftedBy(scaledTo(drawn, pixels.size()), fraction);
    });
    image.setDevicePixelRatio(pixelRatio);
    return {QPointF(topLeft) / pixelRatio, image};
}

QImage CardImageCache::scaledBy(const Card& card, double factor) {
    return kept(keyOf(card, factor), [&] {
        return isScaleFactor(factor) && factor > 1 ? card.image(factor)
                                                   : scaled(card.image(), factor);
    });
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
