#include "client/table/Texture.h"

#include <QImage>

#include "client/qt/Resources.h"

namespace tarvendo::client {

QBrush textureBrush() {
    static const QImage texture = [] {
        ensureResources();
        return QImage(QStringLiteral(":/texture_background"));
    }();
    return texture.isNull() ? QBrush(Qt::transparent) : QBrush(texture);
}

QPainter::CompositionMode cardComposition(const QBrush& background) {
    return background.isOpaque() ? QPainter::CompositionMode_SourceOver
                                 : QPainter::CompositionMode_SourceAtop;
}

}  // namespace tarvendo::client
