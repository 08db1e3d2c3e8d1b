#include <gtest/gtest.h>

#include <QPainter>

#include "Card.h"
#include "CardImageCache.h"
#include "Texture.h"

namespace tarvendo::client {
namespace {

constexpr QSize kTable{300, 220};
// Where the desktop puts a card: below a name of fractional height.
const QRectF kSeatBox(10, 23.37, 126, 140.5);

// The table's background with the card drawn on it in the given mode.
QImage cardOnTable(const QBrush& background, QPainter::CompositionMode mode) {
    QImage table(kTable, QImage::Format_ARGB32_Premultiplied);
    table.fill(Qt::transparent);
    QPainter painter(&table);
    painter.fillRect(table.rect(), background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(mode);
    CardImageCache cache;
    const CardImageCache::Placed card = cache.fittedInto(Card(QStringLiteral("13")), kSeatBox);
    painter.drawImage(card.topLeft, card.image);
    return table;
}

TEST(TextureTest, CardsGoOverAnOpaqueBackgroundAndAtopAnyOther) {
    ASSERT_TRUE(textureBrush().isOpaque()) << "the paper texture is loaded";
    EXPECT_EQ(cardComposition(textureBrush()), QPainter::CompositionMode_SourceOver);
    EXPECT_EQ(cardComposition(QBrush(Qt::transparent)), QPainter::CompositionMode_SourceAtop);
    EXPECT_EQ(cardComposition(QBrush(QColor(255, 255, 255, 128))),
              QPainter::CompositionMode_SourceAtop);
}

TEST(TextureTest, OverTheOpaqueTextureBothModesGiveTheSamePixels) {
    const QImage atop = cardOnTable(textureBrush(), QPainter::CompositionMode_SourceAtop);
    EXPECT_EQ(cardOnTable(textureBrush(), QPainter::CompositionMode_SourceOver), atop);
    EXPECT_NE(cardOnTable(textureBrush(), QPainter::CompositionMode_Source), atop)
        << "the card's transparent corners let the texture through";
}

TEST(TextureTest, OverATransparentBackgroundNoCardShows) {
    const QBrush none(Qt::transparent);
    const QImage table = cardOnTable(none, cardComposition(none));
    EXPECT_TRUE(table.allGray() && table.pixelColor(70, 100).alpha() == 0);
}

}  // namespace
}  // namespace tarvendo::client
