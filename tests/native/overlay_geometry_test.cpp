#include "overlay/overlay_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(OverlayOpacity, IntegerShareOfTheBrightness) {
    EXPECT_EQ(OverlayOpacity(33, false, false), 170);  // 170.85 is not rounded up
    EXPECT_EQ(OpacityForBrightness(INT32_MIN), 255);
}

TEST(DefaultSkylight, HalfTheMonitorCentredInWholePixels) {
    EXPECT_EQ(DefaultSkylightBounds({0, 0, 1025, 769}), (Rect{256, 192, 768, 576}));
}

TEST(Offset, StaysInsideTheIntegerRange) {
    EXPECT_EQ(Offset({INT32_MAX - 5, 0, INT32_MAX, 5}, 100, -10), (Rect{INT32_MAX, -10, INT32_MAX, -5}));
}

}  // namespace
