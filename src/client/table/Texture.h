#pragma once

#include <QBrush>
#include <QPainter>

namespace tarvendo::client {

// The fill of card faces and table views: the "texture_background" image,
// tiled, or fully transparent if the image is missing.
QBrush textureBrush();

// How to draw cards so that they show only where the background under them
// is opaque: SourceAtop, or over an opaque background SourceOver, which gives
// the same pixels there and which the raster engine blends many times faster.
QPainter::CompositionMode cardComposition(const QBrush& background);

}  // namespace tarvendo::client
