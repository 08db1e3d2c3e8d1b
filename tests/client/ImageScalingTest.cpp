#include <gtest/gtest.h>

#include <limits>

#include "Card.h"
#include "ImageScaling.h"

namespace tarvendo::client {
namespace {

bool isOpaque(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).alpha() == 255;
}

// An opaque 200 x 260 block: every transparent pixel of a result is margin.
class ImageScalingTest : public ::testing::Test {
protected:
    ImageScalingTest() { source_.fill(Qt::blue); }
    QImage source_{Card::kSize, QImage::Format_ARGB32_Premultiplied};
};

TEST_F(ImageScalingTest, FactorMakesANewResizedImage) {
    const QImage same = scaled(source_, 1);
    EXPECT_EQ(same.size(), source_.size());
    EXPECT_NE(same.cacheKey(), source_.cacheKey());
    const QImage half = scaled(source_, 0.5);
    EXPECT_EQ(half.size(), QSize(100, 130));
    EXPECT_TRUE(isOpaque(half, 99, 129));
}

TEST_F(ImageScalingTest, FactorThatCannotScaleReturnsTheSourceItself) {
    for (const double factor : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(), 1e6}) {
        EXPECT_EQ(scaled(source_, factor).cacheKey(), source_.cacheKey()) << factor;
    }
}

TEST_F(ImageScalingTest, FittingIntoASquareCentresHorizontally) {
    const QImage result = scaledTo(source_, QSizeF(100, 100));
    EXPECT_EQ(result.size(), QSize(100, 100));
    // About 76.9 x 100 at an offset of about 11.5.
    EXPECT_FALSE(isOpaque(result, 10, 50));
    EXPECT_TRUE(isOpaque(result, 12, 50));
    EXPECT_TRUE(isOpaque(result, 87, 0));
    EXPECT_TRUE(isOpaque(result, 87, 99));
    EXPECT_FALSE(isOpaque(result, 89, 50));
}

TEST_F(ImageScalingTest, FittingIntoATallBoxCentresVertically) {
    const QImage result = scaledTo(source_, QSizeF(100, 400));
    EXPECT_FALSE(isOpaque(result, 50, 133));
    EXPECT_TRUE(isOpaque(result, 50, 136));
    EXPECT_TRUE(isOpaque(result, 50, 263));
    EXPECT_FALSE(isOpaque(result, 50, 266));
}

TEST_F(ImageScalingTest, FittingIntoTheOwnSizeOrAnEmptyBox) {
    EXPECT_EQ(scaledTo(source_, QSizeF(200, 260)).cacheKey(), source_.cacheKey());
    EXPECT_TRUE(scaledTo(source_, QSizeF(100, 0)).isNull());
    EXPECT_TRUE(scaledTo(source_, QSizeF(-5, 40)).isNull());
}

}  // namespace
}  // namespace tarvendo::client
