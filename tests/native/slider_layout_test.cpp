#include "toolbar/slider_layout.h"

#include <gtest/gtest.h>

namespace {

// The pixel tests draw sliders of the design heights only, where one unit is one pixel.
TEST(SliderLayout, ScalesWithTheHeight) {
    // 150 % of the flat design height: thumb 30 x 24, track 9 pixels.
    const SliderLayout layout = LayoutSlider({0, 0, 330, 33}, 100, false);
    EXPECT_EQ(layout.thumb, (Rect{300, 4, 330, 28}));
    EXPECT_EQ(layout.track, (Rect{0, 12, 330, 21}));
}

TEST(SliderLayout, TinySliderKeepsATwoPixelTrack) {
    EXPECT_EQ(LayoutSlider({0, 0, 100, 5}, 0, false).track, (Rect{0, 1, 100, 3}));
}

TEST(SliderLayout, PositionsTruncateTowardZeroLeftOfThePrimaryMonitor) {
    // 201 pixels of travel: half way is -500 + 100.5, so -399.5, truncated to -399.
    EXPECT_EQ(LayoutSlider({-500, -40, -279, -18}, 50, false).thumb, (Rect{-399, -37, -379, -21}));
}

}  // namespace
