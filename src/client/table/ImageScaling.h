#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

namespace tarvendo::client {

// (0, 0, width, height) of the image.
QRectF imageRect(const QImage& image);

// Positive and finite; written so that NaN fails too.
constexpr bool isScaleFactor(double factor) {
    return factor > 0.01 * factor;
}

// The image resized by the factor onto a transparent background. Returns the
// image itself for a factor that is not positive and finite, or for a size
// the platform cannot hold.
QImage scaled(const QImage& image, double factor);

// The image fitted into the target size onto a transparent background,
// keeping its aspect ratio and centred along the axis with room to spare.
// Returns the image itself when it already has that size, and an empty image
// for an empty target.
QImage scaledTo(const QImage& image, QSizeF target);

// The image as a smooth painter draws it a fraction of a pixel right and down,
// on a transparent canvas one pixel wider and taller: drawn unscaled at a
// whole pixel, it gives the same pixels without resampling on every draw.
// Returns the image itself for no fraction.
QImage shiftedBy(const QImage& image, QPointF fraction);

}  // namespace tarvendo::client
