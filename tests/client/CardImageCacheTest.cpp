#include <gtest/gtest.h>

#include <QPainter>

#include "Card.h"
#include "CardImageCache.h"
#include "ImageScaling.h"
#include "Texture.h"

namespace tarvendo::client {
namespace {

// A seat's card box: below a name of fractional height.
const QRectF kSeatBox(126, 191.37, 126, 140.5);
constexpr double kDeckFactor = 0.48;
constexpr QSize kTable{400, 400};

Card selectedCard(const char* symbol) {
    Card card(QString::fromUtf8(symbol));
    card.setSelected(true);
    return card;
}

QImage emptyTable() {
    QImage table(kTable, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&table);
    painter.fillRect(table.rect(), textureBrush());
    return table;
}

// How a view drew a card before the cache: resized on every draw, then
// resampled once more between pixels.
QImage cardResizedOnTheTable(const Card& card, const QRectF& box) {
    QImage table = emptyTable();
    QPainter painter(&table);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box.topLeft(), scaledTo(card.image(), box.size()));
    return table;
}

QImage cardPlacedOnTheTable(const CardImageCache::Placed& placed) {
    QImage table = emptyTable();
    QPainter painter(&table);
    painter.drawImage(placed.topLeft, placed.image);
    return table;
}

TEST(CardImageCacheTest, PlacedCardsShowTheSamePixelsAsResizingThemOnEveryDraw) {
    CardImageCache cache;
    for (const QRectF& box : {kSeatBox, QRectF(10.25, 23.5, 100, 120), QRectF(3, 4, 80, 90)}) {
        const Card card(QStringLiteral("13"));
        const CardImageCache::Placed placed = cache.fittedInto(card, box);
        EXPECT_EQ(placed.topLeft, QPoint(int(box.x()), int(box.y())));
        EXPECT_EQ(cardPlacedOnTheTable(placed), cardResizedOnTheTable(card, box))
            << box.x() << "," << box.y();
    }
}

TEST(CardImageCacheTest, ScaledCardsAreWhatResizingTheirOwnImageGives) {
    CardImageCache cache;
    for (const Card& card : {Card(QStringLiteral("13")), selectedCard("½"),
                             Card(QStringLiteral("#"), CardStatus::known)}) {
        EXPECT_EQ(cache.scaledBy(card, kDeckFactor), scaled(card.image(), kDeckFactor));
    }
}

TEST(CardImageCacheTest, SameLookAndSizeReuseTheDrawnImage) {
    CardImageCache cache;
    const QImage first = cache.fittedInto(Card(QStringLiteral("8")), kSeatBox).image;
    const QImage again = cache.fittedInto(Card(QStringLiteral("8")), kSeatBox).image;
    EXPECT_EQ(again.cacheKey(), first.cacheKey());
    const QImage scaledFirst = cache.scaledBy(Card(QStringLiteral("8")), kDeckFactor);
    EXPECT_EQ(cache.scaledBy(Card(QStringLiteral("8")), kDeckFactor).cacheKey(),
              scaledFirst.cacheKey());
}

TEST(CardImageCacheTest, AnotherLookSizeOrFractionIsDrawnAnew) {
    CardImageCache cache;
    const auto fitted = [&cache](const Card& card, const QRectF& box) {
        return cache.fittedInto(card, box).image;
    };
    const QImage plain = fitted(Card(QStringLiteral("8")), kSeatBox);
    EXPECT_NE(fitted(selectedCard("8"), kSeatBox), plain);
    EXPECT_NE(fitted(Card(QStringLiteral("5")), kSeatBox), plain);
    EXPECT_NE(fitted(Card(QStringLiteral("8")), kSeatBox.adjusted(0, 0, -60, 0)).size(),
              plain.size());
    EXPECT_NE(fitted(Card(QStringLiteral("8")), kSeatBox.translated(0, 0.25)), plain);
    const QImage unknown = fitted(Card(QStringLiteral("#")), kSeatBox);
    EXPECT_NE(fitted(Card(QStringLiteral("#"), CardStatus::known), kSeatBox), unknown)
        << "red and black placeholders";
    EXPECT_NE(cache.scaledBy(Card(QStringLiteral("8")), kDeckFactor).size(), plain.size());
}

TEST(CardImageCacheTest, KeptImagesStayWithinTheBudget) {
    constexpr qsizetype kBudgetKiB = 300;
    CardImageCache cache(kBudgetKiB);
    // Ten images of about 70 KiB each: twice the budget.
    for (int step = 0; step < 10; ++step) {
        cache.fittedInto(Card(QStringLiteral("3")), kSeatBox.adjusted(0, 0, step, 0));
        EXPECT_LE(cache.keptKiB(), kBudgetKiB);
    }
    EXPECT_GT(cache.keptKiB(), kBudgetKiB / 2) << "the most recent images are kept";
}

}  // namespace
}  // namespace tarvendo::client
