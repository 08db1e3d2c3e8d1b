#pragma once

#include <QBrush>

namespace tarvendo::client {

// The fill of card faces and table views: the "texture_background" image,
// tiled, or fully transparent if the image is missing.
QBrush textureBrush();

}  // namespace tarvendo::client
