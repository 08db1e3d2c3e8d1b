#include <gtest/gtest.h>

#include <limits>

#include "Card.h"
#include "ClientTestSupport.h"
#include "ImageScaling.h"

namespace tarvendo::client {
namespace {

bool isOpaque(QColor color) {
    return color.alpha() == 255;
}

class ImageScalingTest : public ::testing::Test {
protected:
    // An opaque 200 x 260 block: every transparent pixel of a result is margin.
    static QImage block() {
        QImage image(Card::kSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::blue);
        return image;
    }
    // The first and last opaque column of the middle row.
    static std::pair<int, int> opaqueColumns(const QImage& image) {
        const int y = image.height() / 2;
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (isOpaque(image.pixelColor(x, y))) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        return {first, last};
    }

    const QImage source_ = block();
};

TEST_F(ImageScalingTest, FactorOneKeepsTheSizeInANewImage) {
    const QImage result = scaled(source_, 1);
    EXPECT_EQ(result.size(), source_.size());
    EXPECT_NE(result.cacheKey(), source_.cacheKey());
}

TEST_F(ImageScalingTest, FactorResizesBothSides) {
    const QImage result = scaled(source_, 0.5);
    EXPECT_EQ(result.size(), QSize(100, 130));
    EXPECT_TRUE(isOpaque(result.pixelColor(99, 129)));
}

TEST_F(ImageScalingTest, FactorThatIsNotPositiveAndFiniteReturnsTheSourceItself) {
    for (const double factor : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(scaled(source_, factor).cacheKey(), source_.cacheKey()) << factor;
    }
}

TEST_F(ImageScalingTest, FactorTooLargeForAnImageReturnsTheSourceItself) {
    EXPECT_EQ(scaled(source_, 1e6).cacheKey(), source_.cacheKey());
}

TEST_F(ImageScalingTest, FittingIntoASquareCentresHorizontally) {
    const QImage result = scaledTo(source_, QSizeF(100, 100));
    EXPECT_EQ(result.size(), QSize(100, 100));
    // 76.9 x 100 at an offset of about 11.5.
    const auto [first, last] = opaqueColumns(result);
    EXPECT_NEAR(first, 11.5, 1);
    EXPECT_NEAR(last + 1, 11.5 + 76.9, 1);
    EXPECT_TRUE(isOpaque(result.pixelColor(50, 0)));
    EXPECT_TRUE(isOpaque(result.pixelColor(50, 99)));
}

TEST_F(ImageScalingTest, FittingIntoAWideBoxCentresHorizontally) {
    const QImage result = scaledTo(source_, QSizeF(400, 130));
    EXPECT_EQ(result.size(), QSize(400, 130));
    const auto [first, last] = opaqueColumns(result);
    EXPECT_NEAR(first, 150, 1);
    EXPECT_NEAR(last + 1, 250, 1);
}

TEST_F(ImageScalingTest, FittingIntoATallBoxCentresVertically) {
    const QImage result = scaledTo(source_, QSizeF(100, 400));
    EXPECT_FALSE(isOpaque(result.pixelColor(50, 133)));
    EXPECT_TRUE(isOpaque(result.pixelColor(50, 136)));
    EXPECT_TRUE(isOpaque(result.pixelColor(50, 263)));
    EXPECT_FALSE(isOpaque(result.pixelColor(50, 266)));
}

TEST_F(ImageScalingTest, FittingIntoTheOwnSizeReturnsTheSourceItself) {
    EXPECT_EQ(scaledTo(source_, QSizeF(200, 260)).cacheKey(), source_.cacheKey());
}

TEST_F(ImageScalingTest, FittingIntoAnEmptyBoxGivesAnEmptyImage) {
    EXPECT_TRUE(scaledTo(source_, QSizeF(100, 0)).isNull());
    EXPECT_TRUE(scaledTo(source_, QSizeF(-5, 40)).isNull());
}

TEST_F(ImageScalingTest, ImageRectIsAtTheOrigin) {
    EXPECT_EQ(imageRect(source_), QRectF(0, 0, 200, 260));
}

}  // namespace
}  // namespace tarvendo::client
