#include <gtest/gtest.h>

#include "Card.h"
#include "CardIndex.h"
#include "ClientTestSupport.h"
#include "Texture.h"

namespace tarvendo::client {
namespace {

using test::countPixels;

// The symbol's solid strokes lie inside the middle of the card; the border
// runs 6 pixels in from the edges.
const QRect kSymbolArea(40, 60, 120, 140);
const QRect kLeftBorder(4, 100, 4, 60);

bool isTexture(QColor color) {
    return color.alpha() == 255 && color.red() > 200;
}

// The border is one pixel wide and anti-aliased across two pixels, so its
// colour is read from its most saturated or darkest pixel.
QColor strongestBorderPixel(const QImage& image) {
    QColor strongest = Qt::white;
    for (int y = kLeftBorder.top(); y <= kLeftBorder.bottom(); ++y) {
        for (int x = kLeftBorder.left(); x <= kLeftBorder.right(); ++x) {
            const QColor color = image.pixelColor(x, y);
            const int weight = color.red() - color.green() + (255 - color.value());
            const int best = strongest.red() - strongest.green() + (255 - strongest.value());
            if (color.alpha() == 255 && weight > best) {
                strongest = color;
            }
        }
    }
    return strongest;
}

bool borderLooksRed(QColor c) {
    return c.red() - c.green() > 80 && c.red() - c.blue() > 80;
}
bool borderLooksNeutral(QColor c) {
    return std::abs(c.red() - c.green()) < 20;
}

class CardImageTest : public ::testing::Test {
protected:
    static int redSymbolPixels(const QImage& image) {
        return countPixels(image, kSymbolArea, test::isRed);
    }
    static int blackSymbolPixels(const QImage& image) {
        return countPixels(image, kSymbolArea, test::isBlack);
    }
    static void expectRedSymbolAndBorder(const QImage& image) {
        EXPECT_GT(redSymbolPixels(image), 300);
        EXPECT_EQ(blackSymbolPixels(image), 0);
        EXPECT_TRUE(borderLooksRed(strongestBorderPixel(image)));
    }
};

TEST_F(CardImageTest, ImageIs200By260WithTransparentCorners) {
    const QImage image = Card(QStringLiteral("13")).image();
    EXPECT_EQ(image.size(), QSize(200, 260));
    for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 259), QPoint(199, 259),
                                QPoint(6, 6), QPoint(193, 253)}) {
        EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << corner.x() << "," << corner.y();
    }
    // Just outside the face's inset of 4, and just inside it.
    EXPECT_EQ(image.pixelColor(2, 130).alpha(), 0);
    EXPECT_TRUE(isTexture(image.pixelColor(20, 20)));
}

TEST_F(CardImageTest, UnselectedFaceHasBlackSymbolAndDarkGreyBorder) {
    const QImage image = Card(QStringLiteral("13")).image();
    EXPECT_GT(blackSymbolPixels(image), 500);
    EXPECT_EQ(redSymbolPixels(image), 0);
    const QColor border = strongestBorderPixel(image);
    EXPECT_TRUE(borderLooksNeutral(border)) << border.name().toStdString();
    EXPECT_GT(border.value(), 120) << "dark grey, lighter than a black border";
}

TEST_F(CardImageTest, SelectedFaceIsRed) {
    Card card(QStringLiteral("13"));
    card.setSelected(true);
    expectRedSymbolAndBorder(card.image());
}

TEST_F(CardImageTest, PlaceholderIsUnknownAndRedWhateverItsSelection) {
    Card card(QStringLiteral("#"));
    EXPECT_EQ(card.status(), CardStatus::unknown);
    for (const bool selected : {false, true}) {
        card.setSelected(selected);
        expectRedSymbolAndBorder(card.image());
    }
}

TEST_F(CardImageTest, KnownPlaceholderIsBlackWithBlackBorder) {
    Card card(QStringLiteral("#"), CardStatus::known);
    card.setSelected(true);
    const QImage image = card.image();
    EXPECT_GT(blackSymbolPixels(image), 300);
    EXPECT_EQ(redSymbolPixels(image), 0);
    const QColor border = strongestBorderPixel(image);
    EXPECT_TRUE(borderLooksNeutral(border));
    EXPECT_LT(border.value(), 135) << "black, darker than a dark grey border";
}

TEST_F(CardImageTest, SymbolIsCentred) {
    const QImage image = Card(QStringLiteral("8")).image();
    const int left = countPixels(image, QRect(0, 0, 100, 260), test::isBlack);
    const int right = countPixels(image, QRect(100, 0, 100, 260), test::isBlack);
    ASSERT_GT(left + right, 500);
    EXPECT_NEAR(double(left) / (left + right), 0.5, 0.1);
}

TEST_F(CardImageTest, SymbolIsSetAt120Pixels) {
    // A digit of a 120-pixel font stands about 85 pixels tall.
    const QImage image = Card(QStringLiteral("8")).image();
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (countPixels(image, QRect(0, y, 200, 1), test::isBlack) > 0) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    EXPECT_NEAR(bottom - top, 87, 12);
}

TEST_F(CardImageTest, EveryCallDrawsAFreshImage) {
    const Card card(QStringLiteral("5"));
    EXPECT_NE(card.image().cacheKey(), card.image().cacheKey());
}

TEST(CardTest, NewCardIsUnselectedWithoutVisibleRect) {
    const Card card(QStringLiteral("∞"));
    EXPECT_EQ(card.symbol(), QStringLiteral("∞"));
    EXPECT_EQ(card.status(), CardStatus::none);
    EXPECT_FALSE(card.isSelected());
    EXPECT_FALSE(card.visibleRect().has_value());
}

TEST(CardTest, OnlyTheExactPlaceholderIsUnknown) {
    EXPECT_EQ(Card(QStringLiteral("# ")).status(), CardStatus::none);
    EXPECT_EQ(Card(QStringLiteral("")).status(), CardStatus::none);
}

TEST(CardIndexTest, PositionsOutsideTheDeckGiveNothing) {
    EXPECT_EQ(cardIndexFrom(0), CardIndex::symbol0);
    EXPECT_EQ(cardIndexFrom(11), CardIndex::symbolInfinity);
    EXPECT_FALSE(cardIndexFrom(-1).has_value());
    EXPECT_FALSE(cardIndexFrom(12).has_value());
}

TEST(TextureTest, TextureIsAnOpaqueTile) {
    const QBrush brush = textureBrush();
    ASSERT_EQ(brush.style(), Qt::TexturePattern) << "the texture resource is missing";
    const QImage tile = brush.textureImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(countPixels(tile, tile.rect(), [](QColor c) { return c.alpha() == 255; }),
              tile.width() * tile.height());
}

}  // namespace
}  // namespace tarvendo::client
