#include <gtest/gtest.h>

#include <QPainter>

#include <limits>

#include "ClientTestSupport.h"
#include "client/table/Card.h"
#include "client/table/CardImageCache.h"
#include "client/table/ImageScaling.h"
#include "client/table/Texture.h"

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
bool isDarkGreyBorder(QColor c) {
    return std::abs(c.red() - c.green()) < 20 && c.value() > 120;  // lighter than black
}
bool isBlackBorder(QColor c) {
    return std::abs(c.red() - c.green()) < 20 && c.value() < 135;  // darker than dark grey
}

Card cardOf(const char* symbol, bool selected, CardStatus status) {
    Card card(QString::fromUtf8(symbol), status);
    card.setSelected(selected);
    return card;
}

// The faces tell who has chosen: a red # is a player still choosing, a black
// # one who has chosen; a face-up card is black, red while selected.
TEST(CardImageTest, SymbolAndBorderColoursFollowStatusAndSelection) {
    struct Face {
        Card card;
        bool (*symbol)(QColor);
        bool (*otherSymbol)(QColor);
        bool (*border)(QColor);
    };
    const std::vector<Face> faces{
        {cardOf("13", false, CardStatus::none), test::isBlack, test::isRed, isDarkGreyBorder},
        {cardOf("13", true, CardStatus::none), test::isRed, test::isBlack, isRedBorder},
        {cardOf("#", false, CardStatus::unknown), test::isRed, test::isBlack, isRedBorder},
        {cardOf("#", true, CardStatus::unknown), test::isRed, test::isBlack, isRedBorder},
        {cardOf("#", true, CardStatus::known), test::isBlack, test::isRed, isBlackBorder},
    };
    for (const Face& face : faces) {
        SCOPED_TRACE(face.card.symbol().toStdString() +
                     (face.card.isSelected() ? " selected" : "") + " status " +
                     std::to_string(int(face.card.status())));
        const QImage image = face.card.image();
        const QColor paper = image.pixelColor(20, 20);
        EXPECT_TRUE(paper.alpha() == 255 && paper.red() > 200) << "the light paper texture";
        EXPECT_GT(countPixels(image, kSymbolArea, face.symbol), 300);
        EXPECT_EQ(countPixels(image, kSymbolArea, face.otherSymbol), 0);
        EXPECT_TRUE(face.border(strongestBorderPixel(image)));
    }
    EXPECT_EQ(Card(QStringLiteral("#")).status(), CardStatus::unknown);
    EXPECT_EQ(Card(QStringLiteral("# ")).status(), CardStatus::none) << "only the exact #";
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

// An opaque 200 x 260 block: every transparent pixel of a result is margin.
class ImageScalingTest : public ::testing::Test {
protected:
    ImageScalingTest() { source_.fill(Qt::blue); }
    QImage source_{Card::kSize, QImage::Format_ARGB32_Premultiplied};
};

TEST_F(ImageScalingTest, FactorMakesANewResizedImageOrReturnsTheSourceIfItCannotScale) {
    const QImage same = scaled(source_, 1);
    EXPECT_EQ(same.size(), source_.size());
    EXPECT_NE(same.cacheKey(), source_.cacheKey());
    const QImage half = scaled(source_, 0.5);
    EXPECT_EQ(half.size(), QSize(100, 130));
    EXPECT_EQ(half.pixelColor(99, 129).alpha(), 255);
    for (const double factor : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(), 1e6}) {
        EXPECT_EQ(scaled(source_, factor).cacheKey(), source_.cacheKey()) << factor;
    }
}

TEST_F(ImageScalingTest, FittingCentresTheImageAcrossTheSpareSide) {
    struct Probe {
        QPoint point;
        bool opaque;
    };
    // Into a square: about 76.9 x 100 at x 11.5; into a tall box: 100 x 130
    // at y 135.
    const std::vector<std::pair<QSizeF, std::vector<Probe>>> boxes{
        {{100, 100},
         {{{10, 50}, false},
          {{12, 50}, true},
          {{87, 0}, true},
          {{87, 99}, true},
          {{89, 50}, false}}},
        {{100, 400},
         {{{50, 133}, false}, {{50, 136}, true}, {{50, 263}, true}, {{50, 266}, false}}},
    };
    for (const auto& [box, probes] : boxes) {
        const QImage result = scaledTo(source_, box);
        EXPECT_EQ(QSizeF(result.size()), box);
        for (const Probe& probe : probes) {
            EXPECT_EQ(result.pixelColor(probe.point).alpha() == 255, probe.opaque)
                << box.width() << "x" << box.height() << " at " << probe.point.x() << ","
                << probe.point.y();
        }
    }
    EXPECT_EQ(scaledTo(source_, QSizeF(200, 260)).cacheKey(), source_.cacheKey());
    EXPECT_TRUE(scaledTo(source_, QSizeF(100, 0)).isNull());
    EXPECT_TRUE(scaledTo(source_, QSizeF(-5, 40)).isNull());
}

// A seat's card box: below a name of fractional height.
const QRectF kSeatBox(126, 191.37, 126, 140.5);
constexpr double kDeckFactor = 0.48;

// A table of the background with one image drawn on it.
QImage onTable(const QBrush& background, const std::function<void(QPainter&)>& draw,
               QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver) {
    QImage table(QSize(400, 400), QImage::Format_ARGB32_Premultiplied);
    table.fill(Qt::transparent);
    QPainter painter(&table);
    painter.fillRect(table.rect(), background);
    painter.setCompositionMode(mode);
    draw(painter);
    return table;
}

QImage placedOnTable(const CardImageCache::Placed& placed,
                     const QBrush& background = textureBrush(),
                     QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver) {
    return onTable(
        background, [&](QPainter& painter) { painter.drawImage(placed.topLeft, placed.image); },
        mode);
}

// The cache must not change a pixel of what a view drew before it: the card
// resized on every draw, then resampled once more between pixels.
TEST(CardImageCacheTest, CachedCardsShowTheSamePixelsAsResizingThemOnEveryDraw) {
    CardImageCache cache;
    const Card card(QStringLiteral("13"));
    for (const QRectF& box : {kSeatBox, QRectF(10.25, 23.5, 100, 120), QRectF(3, 4, 80, 90)}) {
        SCOPED_TRACE(std::to_string(box.x()) + "," + std::to_string(box.y()));
        const CardImageCache::Placed placed = cache.fittedInto(card, box);
        EXPECT_EQ(placed.topLeft, QPoint(int(box.x()), int(box.y())));
        const QImage resized = onTable(textureBrush(), [&](QPainter& painter) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(box.topLeft(), scaledTo(card.image(), box.size()));
        });
        EXPECT_EQ(placedOnTable(placed), resized);
    }
    for (const Card& scaledCard : {card, cardOf("½", true, CardStatus::none),
                                   Card(QStringLiteral("#"), CardStatus::known)}) {
        EXPECT_EQ(cache.scaledBy(scaledCard, kDeckFactor), scaled(scaledCard.image(), kDeckFactor));
    }
}

// A stale image would show a card in the wrong colour, size or place.
TEST(CardImageCacheTest, SameLookIsReusedAndAnotherLookSizeOrFractionIsDrawnAnew) {
    CardImageCache cache;
    const auto fitted = [&cache](const Card& card, const QRectF& box) {
        return cache.fittedInto(card, box).image;
    };
    const QImage plain = fitted(Card(QStringLiteral("8")), kSeatBox);
    EXPECT_EQ(fitted(Card(QStringLiteral("8")), kSeatBox).cacheKey(), plain.cacheKey());
    const QImage scaledPlain = cache.scaledBy(Card(QStringLiteral("8")), kDeckFactor);
    EXPECT_EQ(cache.scaledBy(Card(QStringLiteral("8")), kDeckFactor).cacheKey(),
              scaledPlain.cacheKey());
    EXPECT_NE(scaledPlain.size(), plain.size());

    EXPECT_NE(fitted(cardOf("8", true, CardStatus::none), kSeatBox), plain);
    EXPECT_NE(fitted(Card(QStringLiteral("5")), kSeatBox), plain);
    EXPECT_NE(fitted(Card(QStringLiteral("8")), kSeatBox.adjusted(0, 0, -60, 0)).size(),
              plain.size());
    EXPECT_NE(fitted(Card(QStringLiteral("8")), kSeatBox.translated(0, 0.25)), plain);
    const QImage unknown = fitted(Card(QStringLiteral("#")), kSeatBox);
    EXPECT_NE(fitted(Card(QStringLiteral("#"), CardStatus::known), kSeatBox), unknown)
        << "red and black placeholders";
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

// Over the opaque paper texture SourceOver (the fast path) gives the pixels
// SourceAtop gives; over any other background cards go atop.
TEST(TextureTest, CardsGoOverAnOpaqueBackgroundAndAtopAnyOther) {
    ASSERT_TRUE(textureBrush().isOpaque()) << "the paper texture is loaded";
    EXPECT_EQ(cardComposition(textureBrush()), QPainter::CompositionMode_SourceOver);
    const QBrush none(Qt::transparent);
    EXPECT_EQ(cardComposition(none), QPainter::CompositionMode_SourceAtop);
    EXPECT_EQ(cardComposition(QBrush(QColor(255, 255, 255, 128))),
              QPainter::CompositionMode_SourceAtop);

    CardImageCache cache;
    const CardImageCache::Placed card = cache.fittedInto(Card(QStringLiteral("13")), kSeatBox);
    const QImage atop = placedOnTable(card, textureBrush(), QPainter::CompositionMode_SourceAtop);
    EXPECT_EQ(placedOnTable(card, textureBrush(), QPainter::CompositionMode_SourceOver), atop);
    EXPECT_NE(placedOnTable(card, textureBrush(), QPainter::CompositionMode_Source), atop)
        << "the card's transparent corners let the texture through";
    const QImage bare = placedOnTable(card, none, cardComposition(none));
    EXPECT_TRUE(bare.allGray() && bare.pixelColor(190, 260).alpha() == 0) << "no card shows";
}

}  // namespace
}  // namespace tarvendo::client
