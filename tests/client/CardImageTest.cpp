#include <gtest/gtest.h>

#include "Card.h"
#include "ClientTestSupport.h"
#include "Texture.h"

namespace tarvendo::client {
namespace {

using test::countPixels;

// The symbol's solid strokes lie in the middle of the card; the border runs
// 6 pixels in from the edges.
const QRect kSymbolArea(40, 60, 120, 140);
const QRect kLeftBorder(4, 100, 4, 60);

// The one-pixel border is anti-aliased across two pixels: its colour is read
// from its reddest or darkest pixel.
QColor strongestBorderPixel(const QImage& image) {
    const auto strength = [](QColor c) {
        return c.red() - c.green() + 255 - c.value();
    };
    QColor strongest = Qt::white;
    for (int y = kLeftBorder.top(); y <= kLeftBorder.bottom(); ++y) {
        for (int x = kLeftBorder.left(); x <= kLeftBorder.right(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.alpha() == 255 && strength(color) > strength(strongest)) {
                strongest = color;
            }
        }
    }
    return strongest;
}

bool isRedBorder(QColor c) {
    return c.red() - c.green() > 80 && c.red() - c.blue() > 80;
}
bool isNeutral(QColor c) {
    return std::abs(c.red() - c.green()) < 20;
}

int symbolPixels(const QImage& image, bool (*is)(QColor)) {
    return countPixels(image, kSymbolArea, is);
}

void expectRed(const Card& card) {
    const QImage image = card.image();
    EXPECT_GT(symbolPixels(image, test::isRed), 300);
    EXPECT_EQ(symbolPixels(image, test::isBlack), 0);
    EXPECT_TRUE(isRedBorder(strongestBorderPixel(image)));
}

TEST(CardImageTest, ImageIs200By260WithTransparentCornersAndATexturedFace) {
    const QImage image = Card(QStringLiteral("13")).image();
    EXPECT_EQ(image.size(), QSize(200, 260));
    for (const QPoint outside : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 259), QPoint(199, 259),
                                 QPoint(6, 6), QPoint(193, 253), QPoint(2, 130)}) {
        EXPECT_EQ(image.pixelColor(outside).alpha(), 0) << outside.x() << "," << outside.y();
    }
    const QColor face = image.pixelColor(20, 20);
    EXPECT_TRUE(face.alpha() == 255 && face.red() > 200) << "the light paper texture";
}

TEST(CardImageTest, UnselectedFaceHasBlackSymbolAndDarkGreyBorder) {
    const QImage image = Card(QStringLiteral("13")).image();
    EXPECT_GT(symbolPixels(image, test::isBlack), 500);
    EXPECT_EQ(symbolPixels(image, test::isRed), 0);
    const QColor border = strongestBorderPixel(image);
    EXPECT_TRUE(isNeutral(border));
    EXPECT_GT(border.value(), 120) << "dark grey, lighter than a black border";
}

TEST(CardImageTest, SelectedFaceIsRed) {
    Card card(QStringLiteral("13"));
    card.setSelected(true);
    expectRed(card);
}

TEST(CardImageTest, PlaceholderIsUnknownAndRedWhateverItsSelection) {
    Card card(QStringLiteral("#"));
    EXPECT_EQ(card.status(), CardStatus::unknown);
    EXPECT_EQ(Card(QStringLiteral("# ")).status(), CardStatus::none) << "only the exact #";
    expectRed(card);
    card.setSelected(true);
    expectRed(card);
}

TEST(CardImageTest, KnownPlaceholderIsBlackWithABlackBorder) {
    Card card(QStringLiteral("#"), CardStatus::known);
    card.setSelected(true);
    const QImage image = card.image();
    EXPECT_GT(symbolPixels(image, test::isBlack), 300);
    EXPECT_EQ(symbolPixels(image, test::isRed), 0);
    const QColor border = strongestBorderPixel(image);
    EXPECT_TRUE(isNeutral(border));
    EXPECT_LT(border.value(), 135) << "black, darker than a dark grey border";
}

TEST(CardImageTest, SymbolIsCentredAndSetAt120Pixels) {
    const QImage image = Card(QStringLiteral("8")).image();
    const int left = countPixels(image, QRect(0, 0, 100, 260), test::isBlack);
    const int right = countPixels(image, QRect(100, 0, 100, 260), test::isBlack);
    ASSERT_GT(left + right, 500);
    EXPECT_NEAR(double(left) / (left + right), 0.5, 0.1);
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (countPixels(image, QRect(0, y, 200, 1), test::isBlack) > 0) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    // A digit of a 120-pixel font stands about 87 pixels tall, centred.
    EXPECT_NEAR(bottom - top, 87, 12);
    EXPECT_NEAR((top + bottom) / 2.0, 130, 15);
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
