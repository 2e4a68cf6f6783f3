#include "overlay/overlay_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(OverlayOpacity, FollowsBrightnessButNeverVanishes) {
    EXPECT_EQ(OverlayOpacity(0, false, false), 255);
    EXPECT_EQ(OverlayOpacity(80, false, false), 51);
    EXPECT_EQ(OverlayOpacity(99, false, false), 2);
    EXPECT_EQ(OverlayOpacity(100, false, false), 1);  // 0 would let clicks through
    EXPECT_EQ(OverlayOpacity(40, false, false), 153);
}

TEST(OverlayOpacity, BlackoutAndPeekOverrideBrightness) {
    EXPECT_EQ(OverlayOpacity(100, false, true), 255);
    EXPECT_EQ(OverlayOpacity(0, true, false), 128);
    EXPECT_EQ(OverlayOpacity(70, true, true), 128);  // the peek of a press wins
}

TEST(OpacityForBrightness, ClampsOutOfRangeValues) {
    EXPECT_EQ(OpacityForBrightness(-5), 255);
    EXPECT_EQ(OpacityForBrightness(250), 0);
    EXPECT_EQ(OpacityForBrightness(std::numeric_limits<int32_t>::min()), 255);
    EXPECT_EQ(OpacityForBrightness(33), 170);
}

TEST(DefaultSkylight, HalfTheMonitorCentred) {
    EXPECT_EQ(DefaultSkylightBounds({0, 0, 1920, 1080}), (Rect{480, 270, 1440, 810}));
    EXPECT_EQ(DefaultSkylightBounds({0, 0, 1025, 769}), (Rect{256, 192, 768, 576}));
    EXPECT_EQ(DefaultSkylightBounds({-1024, -768, 0, 0}), (Rect{-768, -576, -256, -192}));
}

TEST(HoleOutline, ShapesShareOutlines) {
    EXPECT_EQ(OutlineOf(SkylightShape::Rounded), HoleOutline::RoundedRectangle);
    EXPECT_EQ(OutlineOf(SkylightShape::HorizontalStrip), HoleOutline::RoundedRectangle);
    EXPECT_EQ(OutlineOf(SkylightShape::VerticalStrip), HoleOutline::RoundedRectangle);
    EXPECT_EQ(OutlineOf(SkylightShape::Elliptical), HoleOutline::Ellipse);
    EXPECT_EQ(OutlineOf(SkylightShape::Circle), HoleOutline::Ellipse);
    EXPECT_EQ(OutlineOf(SkylightShape::Rectangle), HoleOutline::Rectangle);
}

TEST(Offset, StaysInsideTheIntegerRange) {
    EXPECT_EQ(Offset({-900, 100, -500, 400}, 1024, 0), (Rect{124, 100, 524, 400}));
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(Offset({hi - 5, 0, hi, 5}, 100, -10), (Rect{hi, -10, hi, -5}));
}

}  // namespace
