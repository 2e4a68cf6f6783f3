#include <gtest/gtest.h>

#include <cstdint>

#include "overlay/overlay_geometry.h"
#include "overlay/skylight_creation.h"

namespace {

const Rect kPrimary{0, 0, 1920, 1080};
const Rect kLeft{-1024, 0, 0, 768};

TEST(OverlayGeometry, OpacityDefaultSkylightOffsetDrawnRectanglesAndShapesStayOnTheMonitor) {
    EXPECT_EQ(OverlayOpacity(33, false, false), 170);  // 170.85 is not rounded up
    EXPECT_EQ(OverlayOpacity(100, false, false), 1);   // alpha 0 would let clicks through
    EXPECT_EQ(OpacityForBrightness(INT32_MIN), 255);
    EXPECT_EQ(DefaultSkylightBounds({0, 0, 1025, 769}), (Rect{256, 192, 768, 576}));
    EXPECT_EQ(Offset({INT32_MAX - 5, 0, INT32_MAX, 5}, 100, -10), (Rect{INT32_MAX, -10, INT32_MAX, -5}));
    EXPECT_EQ(DrawnRectangle({500, 400}, {450, 390}, kPrimary), (Rect{300, 300, 500, 400}));
    EXPECT_EQ(DrawnRectangle({-100, 700}, {300, 900}, kLeft), (Rect{-400, 568, 0, 768}));
    EXPECT_EQ(AdjustForShape({100, 900, 400, 1080}, SkylightShape::Circle, kPrimary), (Rect{100, 780, 400, 1080}));
    EXPECT_EQ(AdjustForShape({0, 0, 1920, 1080}, SkylightShape::Circle, kPrimary), (Rect{0, 0, 1080, 1080}));
    EXPECT_EQ(AdjustForShape({0, 0, 800, 400}, SkylightShape::HorizontalStrip, kPrimary), (Rect{0, 0, 800, 160}));
    EXPECT_EQ(AdjustForShape({0, 0, 300, 400}, SkylightShape::HorizontalStrip, kPrimary), (Rect{0, 0, 300, 100}));
    EXPECT_EQ(AdjustForShape({0, 0, 900, 600}, SkylightShape::VerticalStrip, kPrimary), (Rect{0, 0, 200, 600}));
    EXPECT_EQ(AdjustForShape({1800, 0, 2000, 1050}, SkylightShape::VerticalStrip, kPrimary),
              (Rect{1710, 0, 1920, 1050}));
    EXPECT_EQ(AdjustForShape({10, 20, 510, 320}, SkylightShape::Elliptical, kPrimary), (Rect{10, 20, 510, 320}));
}

ShakeSample Sample(int x, uint64_t time, intptr_t monitor = 1) { return {{x, 100}, time, monitor, true}; }

TEST(Shake, FastFarMoveOnOneMonitorIdleCursorAndModeTransitions) {
    EXPECT_TRUE(IsShake(Sample(100, 1000), Sample(178, 1120)));   // 650 px/s at the longest interval
    EXPECT_FALSE(IsShake(Sample(100, 1000), Sample(177, 1120)));  // just under
    EXPECT_TRUE(IsShake(Sample(100, 1000), Sample(112, 1001)));
    EXPECT_FALSE(IsShake(Sample(100, 1000), Sample(111, 1001)));  // under 12 px
    EXPECT_FALSE(IsShake(Sample(100, 1000), Sample(300, 1121)));
    EXPECT_FALSE(IsShake(Sample(100, 1000), Sample(300, 1000)));
    EXPECT_FALSE(IsShake(Sample(100, 1016), Sample(300, 1000)));  // the clock went back
    EXPECT_FALSE(IsShake(Sample(100, 1000, 1), Sample(300, 1016, 2)));
    EXPECT_FALSE(IsShake(ShakeSample{}, Sample(300, 1016)));
    using M = OverlayMode;
    EXPECT_EQ(IdleCursorFor(M::Skylights, 5000), IdleCursor::Unchanged);
    EXPECT_EQ(IdleCursorFor(M::Skylights, 5001), IdleCursor::Hidden);
    EXPECT_EQ(IdleCursorFor(M::Blackout, 3000), IdleCursor::Unchanged);
    EXPECT_EQ(IdleCursorFor(M::Blackout, 3001), IdleCursor::Dimmed);
    EXPECT_EQ(NextMode(M::Blackout, ModeEvent::Shake, M::Hidden, 0), M::Shaded);
    EXPECT_EQ(NextMode(M::Skylights, ModeEvent::Shake, M::Hidden, 0), M::Skylights);
    EXPECT_EQ(NextMode(M::Skylights, ModeEvent::SkylightClosed, M::Hidden, 0), M::Shaded);
}

}  // namespace
