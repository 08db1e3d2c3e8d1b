#include "client/table/ImageScaling.h"

#include <QPainter>

#include <algorithm>

namespace tarvendo::client {

namespace {

// A transparent canvas with the image drawn into the rectangle; a null image
// when the platform cannot make a canvas of that size.
QImage drawnOnCanvas(const QImage& image, QSize canvasSize, const QRectF& target) {
    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) {
        return canvas;
    }
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image, imageRect(image));
    return canvas;
}

}  // namespace

QRectF imageRect(const QImage& image) {
    return {0, 0, double(image.width()), double(image.height())};
}

QImage scaled(const QImage& image, double factor) {
    if (!isScaleFactor(factor)) {
        return image;
    }
    const QSizeF size = QSizeF(image.size()) * factor;
    const QSize canvasSize(std::max(1, qRound(size.width())), std::max(1, qRound(size.height())));
    const QImage result = drawnOnCanvas(image, canvasSize, QRectF(QPointF(0, 0), size));
    return result.isNull() ? image : result;
}

QImage scaledTo(const QImage& image, QSizeF target) {
    const QSizeF size = image.size();
    // Exactly: QSizeF's own comparison is fuzzy.
    if (size.width() == target.width() && size.height() == target.height()) {
        return image;
    }
    if (target.isEmpty() || size.isEmpty()) {
        return {};
    }
    const double rx = target.width() / size.width();
    const double ry = target.height() / size.height();
    const double r = std::min(rx, ry);
    const QSizeF fitted = size * r;
    QPointF offset(0, 0);
    if (ry > rx) {
        offset.setY((target.height() - fitted.height()) * 0.5);
    } else if (rx > ry) {
        offset.setX((target.width() - fitted.width()) * 0.5);
    }
    return drawnOnCanvas(image, target.toSize(), QRectF(offset, fitted));
}

QImage shiftedBy(const QImage& image, QPointF fraction) {
    if (fraction.isNull()) {
        return image;
    }
    const QImage result =
        drawnOnCanvas(image, image.size() + QSize(1, 1), QRectF(fraction, QSizeF(image.size())));
    return result.isNull() ? image : result;
}

}  // namespace tarvendo::client
