#include "overlay/cursor_image.h"

#include <gtest/gtest.h>

namespace {

uint32_t Pixel(const CursorImage& image, int x, int y) { return image[static_cast<size_t>(y * 32 + x)]; }

// Lit pixels of one row as [first, last], or {-1, -1} for an empty row; the shape has no gaps.
std::pair<int, int> RowSpan(const CursorImage& image, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < 32; ++x) {
        if (Pixel(image, x, y) == 0) continue;
        if (first < 0) first = x;
        EXPECT_EQ(last, first < x ? x - 1 : -1) << "gap in row " << y;
        last = x;
    }
    return {first, last};
}

TEST(DimmedCursorImage, WedgeGrowsFromTheHotSpotThenStops) {
    const CursorImage image = DimmedCursorImage(100);
    EXPECT_EQ(RowSpan(image, 0), std::make_pair(-1, -1));
    EXPECT_EQ(RowSpan(image, 1), std::make_pair(-1, -1));
    EXPECT_EQ(RowSpan(image, 2), std::make_pair(2, 9));  // 8 pixels at the tip
    EXPECT_EQ(RowSpan(image, 3), std::make_pair(2, 10));
    EXPECT_EQ(RowSpan(image, 19), std::make_pair(2, 26));
    EXPECT_EQ(RowSpan(image, 20), std::make_pair(2, 27));  // 26 pixels, the widest row
    EXPECT_EQ(RowSpan(image, 25), std::make_pair(2, 27));
}

TEST(DimmedCursorImage, StemHangsBelowTheWedge) {
    const CursorImage image = DimmedCursorImage(100);
    EXPECT_EQ(RowSpan(image, 26), std::make_pair(11, 15));
    EXPECT_EQ(RowSpan(image, 27), std::make_pair(11, 15));
    for (int y = 28; y < 32; ++y) EXPECT_EQ(RowSpan(image, y), std::make_pair(-1, -1)) << y;
}

TEST(DimmedCursorImage, WhiteWithStraightAlpha) {
    EXPECT_EQ(Pixel(DimmedCursorImage(30), 2, 2), 0x4CFFFFFFu);  // alpha 76, colour not premultiplied
    EXPECT_EQ(Pixel(DimmedCursorImage(100), 13, 27), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(DimmedCursorImage(5), 10, 10), 0x0CFFFFFFu);  // alpha 12
    EXPECT_EQ(Pixel(DimmedCursorImage(30), 1, 2), 0u);          // fully transparent around the arrow
    EXPECT_EQ(Pixel(DimmedCursorImage(30), 28, 20), 0u);
}

TEST(DimmedCursorImage, BrightnessIsClampedToAVisibleRange) {
    EXPECT_EQ(CursorBrightness(0), 5);
    EXPECT_EQ(CursorBrightness(3), 5);
    EXPECT_EQ(CursorBrightness(-40), 5);
    EXPECT_EQ(CursorBrightness(150), 100);
    EXPECT_EQ(CursorBrightness(64), 64);
    EXPECT_EQ(DimmedCursorImage(0), DimmedCursorImage(5));
    EXPECT_EQ(DimmedCursorImage(3), DimmedCursorImage(5));
    EXPECT_EQ(DimmedCursorImage(150), DimmedCursorImage(100));
    EXPECT_NE(DimmedCursorImage(6), DimmedCursorImage(5));
}

}  // namespace
