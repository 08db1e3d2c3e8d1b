#include "client/table/Card.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "client/qt/Text.h"
#include "client/table/Texture.h"
#include "session/PlayerStore.h"

namespace tarvendo::client {

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kDarkGrey = QColor::fromRgbF(1.0f / 3, 1.0f / 3, 1.0f / 3);

constexpr double kFaceInset = 4;
constexpr double kBorderInset = 2;  // inside the face
constexpr double kBorderWidth = 1;

}  // namespace

Card::Card(const QString& symbol)
    : Card(symbol, symbol == QLatin1String(PlayerStore::kNotChosen) ? CardStatus::unknown
                                                                    : CardStatus::none) {}

Card::Card(QString symbol, CardStatus status)
    : symbol_(std::move(symbol)), status_(status), backgroundColor_(textureBrush()) {}

QColor Card::symbolColor() const {
    switch (status_) {
        case CardStatus::unknown:
            return kRed;
        case CardStatus::known:
            return kBlack;
        case CardStatus::none:
            break;
    }
    return selected_ ? kRed : kBlack;
}

QColor Card::borderColor() const {
    if (status_ == CardStatus::none && !selected_) {
        return kDarkGrey;
    }
    return symbolColor();
}

QImage Card::image(double resolution) const {
    const QSize pixels = (QSizeF(kSize) * resolution).toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(pixels.width()) / kSize.width(), double(pixels.height()) / kSize.height());

    const QRectF face =
        QRectF(QPointF(0, 0), kSize).adjusted(kFaceInset, kFaceInset, -kFaceInset, -kFaceInset);
    QPainterPath facePath;
    facePath.addRoundedRect(face, kRadius, kRadius);
    painter.setClipPath(facePath);
    painter.fillRect(face, backgroundColor_);

    painter.setPen(QPen(borderColor(), kBorderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(face.adjusted(kBorderInset, kBorderInset, -kBorderInset, -kBorderInset),
                            kRadius, kRadius);

    const QFont font = uiFont(kSymbolPixelSize);
    const QFontMetricsF metrics(font, &image);
    const double width = metrics.horizontalAdvance(symbol_);
    const QPointF topLeft((kSize.width() - width) * 0.5, (kSize.height() - metrics.height()) * 0.5);
    painter.setFont(font);
    painter.setPen(symbolColor());
    painter.drawText(topLeft + QPointF(0, metrics.ascent()), symbol_);
    return image;
}

}  // namespace tarvendo::client
