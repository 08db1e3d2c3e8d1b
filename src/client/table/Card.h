#pragma once

#include <QBrush>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

#include "client/table/CardStatus.h"

namespace tarvendo::client {

// One card: its symbol, whether it is the deck's selection, how it is
// coloured, and where the deck view last showed it.
class Card {
public:
    static constexpr QSize kSize{200, 260};
    static constexpr double kRadius = 16;
    // Set in pixels: a point of the card layout is one logical pixel.
    static constexpr int kSymbolPixelSize = 120;

    // Status unknown for the placeholder "#", none otherwise.
    explicit Card(const QString& symbol);
    Card(QString symbol, CardStatus status);

    const QString& symbol() const { return symbol_; }
    CardStatus status() const { return status_; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    // In the deck view's coordinates; absent until the deck view drew the card.
    const std::optional<QRectF>& visibleRect() const { return visibleRect_; }
    void setVisibleRect(const QRectF& rect) { visibleRect_ = rect; }

    // A new 200 x 260 image on a transparent background; at a resolution
    // above 1 the same card drawn that many times larger, sharp.
    QImage image(double resolution = 1) const;

private:
    QColor symbolColor() const;
    QColor borderColor() const;

    QString symbol_;
    bool selected_ = false;
    CardStatus status_;
    std::optional<QRectF> visibleRect_;
    QBrush backgroundColor_;
};

}  // namespace tarvendo::client
