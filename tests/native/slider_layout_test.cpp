#include "toolbar/slider_layout.h"

#include <gtest/gtest.h>

namespace {

// A flat slider of the toolbar's design height: one unit per pixel, 200 pixels of travel.
constexpr Rect kFlat{10, 40, 230, 62};
// A raised slider of the skylight controls at 96 dpi: 30 pixels high, 180 pixels of travel.
constexpr Rect kRaised{14, 17, 232, 47};

TEST(SliderLayout, FlatThumbTravelsTheTrack) {
    EXPECT_EQ(LayoutSlider(kFlat, 0, false).thumb, (Rect{10, 43, 30, 59}));
    EXPECT_EQ(LayoutSlider(kFlat, 50, false).thumb, (Rect{110, 43, 130, 59}));
    EXPECT_EQ(LayoutSlider(kFlat, 100, false).thumb, (Rect{210, 43, 230, 59}));
    EXPECT_EQ(LayoutSlider(kFlat, 37, false).thumb.left, 84);
}

TEST(SliderLayout, OutOfRangeValuesPinTheThumbToAnEnd) {
    EXPECT_EQ(LayoutSlider(kFlat, -5, false).thumb.left, 10);
    EXPECT_EQ(LayoutSlider(kFlat, 130, false).thumb.right, 230);
    EXPECT_EQ(LayoutSlider(kRaised, -5, true).thumb.left, 14);
    EXPECT_EQ(LayoutSlider(kRaised, 130, true).thumb.right, 232);
}

TEST(SliderLayout, FlatTrackIsAThinPillWithoutOutline) {
    const SliderLayout layout = LayoutSlider(kFlat, 50, false);
    EXPECT_FLOAT_EQ(layout.unit, 1.0f);
    EXPECT_EQ(layout.track, (Rect{10, 48, 230, 54}));
    EXPECT_FLOAT_EQ(layout.trackRadius, 3.0f);
    EXPECT_EQ(layout.trackBorder, 0.0f);
    EXPECT_EQ(layout.thumbBorder, 0.0f);
    EXPECT_FLOAT_EQ(layout.thumbRadius, 10.0f);
    EXPECT_EQ(Width(layout.filled), 0);  // only the raised look fills the travelled part
}

TEST(SliderLayout, RaisedThumbCarriesGripsAndFillsTheTrackToItsCentre) {
    const SliderLayout layout = LayoutSlider(kRaised, 50, true);
    EXPECT_EQ(layout.thumbWidth, 38);
    EXPECT_EQ(layout.thumb, (Rect{104, 22, 142, 42}));
    EXPECT_EQ(layout.track, (Rect{14, 28, 232, 36}));
    EXPECT_EQ(layout.filled, (Rect{14, 28, 123, 36}));
    EXPECT_FLOAT_EQ(layout.trackBorder, 1.0f);
    EXPECT_FLOAT_EQ(layout.thumbBorder, 2.0f);
    EXPECT_FLOAT_EQ(layout.thumbRadius, 7.0f);
    EXPECT_FLOAT_EQ(layout.gripX[0], 118.0f);
    EXPECT_FLOAT_EQ(layout.gripX[1], 123.0f);
    EXPECT_FLOAT_EQ(layout.gripX[2], 128.0f);
    EXPECT_FLOAT_EQ(layout.gripTop, 27.0f);
    EXPECT_FLOAT_EQ(layout.gripBottom, 37.0f);
    EXPECT_FLOAT_EQ(layout.gripWidth, 1.5f);
}

TEST(SliderLayout, ScalesWithHeight) {
    // 150 % of the flat design height: unit 1.5, thumb 30 x 24, track 9 pixels.
    const SliderLayout layout = LayoutSlider({0, 0, 330, 33}, 100, false);
    EXPECT_EQ(layout.thumbWidth, 30);
    EXPECT_EQ(layout.thumb, (Rect{300, 4, 330, 28}));
    EXPECT_EQ(layout.track, (Rect{0, 12, 330, 21}));
    EXPECT_FLOAT_EQ(layout.trackRadius, 4.5f);
}

TEST(SliderLayout, TinySliderKeepsATwoPixelTrack) {
    const SliderLayout flat = LayoutSlider({0, 0, 100, 5}, 0, false);
    EXPECT_EQ(flat.trackThickness, 2);
    EXPECT_EQ(flat.track, (Rect{0, 1, 100, 3}));
    const SliderLayout raised = LayoutSlider({0, 0, 100, 6}, 0, true);
    EXPECT_EQ(raised.trackThickness, 2);
}

TEST(SliderLayout, PositionsTruncateTowardsZeroLeftOfThePrimaryMonitor) {
    // 201 pixels of travel: half way is 100.5 past the left edge at -500, so -399.5, truncated to -399.
    EXPECT_EQ(LayoutSlider({-500, -40, -279, -18}, 50, false).thumb.left, -399);
    EXPECT_EQ(LayoutSlider({-500, -40, -279, -18}, 50, false).thumb.top, -37);
}

}  // namespace
