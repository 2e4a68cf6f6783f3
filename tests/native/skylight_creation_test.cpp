#include "overlay/skylight_creation.h"

#include <gtest/gtest.h>

namespace {

const Rect kPrimary{0, 0, 1920, 1080};
const Rect kLeft{-1024, 0, 0, 768};

TEST(DrawnRectangle, ShortDragsGrowAwayFromThePressPoint) {
    EXPECT_EQ(DrawnRectangle({500, 400}, {550, 410}, kPrimary), (Rect{500, 400, 700, 500}));
    EXPECT_EQ(DrawnRectangle({500, 400}, {450, 390}, kPrimary), (Rect{300, 300, 500, 400}));
    EXPECT_EQ(DrawnRectangle({500, 400}, {503, 380}, kPrimary), (Rect{500, 300, 700, 400}));
    EXPECT_EQ(DrawnRectangle({500, 400}, {500, 400}, kPrimary), (Rect{500, 400, 700, 500}));
}

TEST(DrawnRectangle, LongDragsSpanBothPoints) {
    EXPECT_EQ(DrawnRectangle({100, 100}, {600, 500}, kPrimary), (Rect{100, 100, 600, 500}));
    EXPECT_EQ(DrawnRectangle({600, 500}, {100, 100}, kPrimary), (Rect{100, 100, 600, 500}));
    EXPECT_EQ(DrawnRectangle({100, 100}, {300, 200}, kPrimary), (Rect{100, 100, 300, 200}));  // exactly the minimum
}

TEST(DrawnRectangle, StaysOnThePressPointsMonitor) {
    EXPECT_EQ(DrawnRectangle({1800, 500}, {2500, 700}, kPrimary), (Rect{1220, 500, 1920, 700}));
    EXPECT_EQ(DrawnRectangle({1850, 1050}, {1860, 1060}, kPrimary), (Rect{1720, 980, 1920, 1080}));
    EXPECT_EQ(DrawnRectangle({10, 10}, {5, 5}, kPrimary), (Rect{0, 0, 200, 100}));
    EXPECT_EQ(DrawnRectangle({-100, 700}, {300, 900}, kLeft), (Rect{-400, 568, 0, 768}));
    EXPECT_EQ(DrawnRectangle({-5000, 10}, {5000, 2000}, kLeft), kLeft);
}

TEST(AdjustForShape, CircleIsSquareAndStaysOnTheMonitor) {
    EXPECT_EQ(AdjustForShape({100, 100, 400, 280}, SkylightShape::Circle, kPrimary), (Rect{100, 100, 400, 400}));
    EXPECT_EQ(AdjustForShape({100, 900, 400, 1080}, SkylightShape::Circle, kPrimary), (Rect{100, 780, 400, 1080}));
    EXPECT_EQ(AdjustForShape({1700, 100, 1920, 300}, SkylightShape::Circle, kPrimary), (Rect{1700, 100, 1920, 320}));
    EXPECT_EQ(AdjustForShape({0, 0, 1920, 1080}, SkylightShape::Circle, kPrimary), (Rect{0, 0, 1080, 1080}));
    EXPECT_EQ(AdjustForShape({-1000, 100, -400, 200}, SkylightShape::Circle, kLeft), (Rect{-1000, 100, -400, 700}));
}

TEST(AdjustForShape, StripsTakeAFifthOfTheDrag) {
    EXPECT_EQ(AdjustForShape({0, 0, 800, 400}, SkylightShape::HorizontalStrip, kPrimary), (Rect{0, 0, 800, 160}));
    EXPECT_EQ(AdjustForShape({0, 0, 300, 400}, SkylightShape::HorizontalStrip, kPrimary), (Rect{0, 0, 300, 100}));
    EXPECT_EQ(AdjustForShape({0, 0, 900, 600}, SkylightShape::VerticalStrip, kPrimary), (Rect{0, 0, 200, 600}));
    EXPECT_EQ(AdjustForShape({0, 0, 900, 1050}, SkylightShape::VerticalStrip, kPrimary), (Rect{0, 0, 210, 1050}));
    EXPECT_EQ(AdjustForShape({1800, 1000, 2000, 1080}, SkylightShape::HorizontalStrip, kPrimary),
              (Rect{1720, 980, 1920, 1080}));
}

TEST(AdjustForShape, OtherShapesKeepTheDrawnRectangle) {
    const Rect drawn{10, 20, 510, 320};
    for (auto shape : {SkylightShape::Rounded, SkylightShape::Elliptical, SkylightShape::Rectangle})
        EXPECT_EQ(AdjustForShape(drawn, shape, kPrimary), drawn);
}

ShakeSample Sample(int x, int y, uint64_t time, intptr_t monitor = 1) { return {{x, y}, time, monitor, true}; }

TEST(Shake, FastFlickOnOneMonitorCounts) {
    EXPECT_TRUE(IsShake(Sample(100, 100, 1000), Sample(120, 100, 1016)));
    EXPECT_TRUE(IsShake(Sample(100, 100, 1000), Sample(100, 178, 1120)));  // 650 px/s at the longest interval
    EXPECT_TRUE(IsShake(Sample(100, 100, 1000), Sample(112, 100, 1001)));
}

TEST(Shake, SlowShortOrInterruptedMovesDoNot) {
    EXPECT_FALSE(IsShake(Sample(100, 100, 1000), Sample(177, 100, 1120)));  // just under 650 px/s
    EXPECT_FALSE(IsShake(Sample(100, 100, 1000), Sample(111, 100, 1002)));  // under 12 px
    EXPECT_FALSE(IsShake(Sample(100, 100, 1000), Sample(300, 100, 1121)));  // too long apart
    EXPECT_FALSE(IsShake(Sample(100, 100, 1000), Sample(300, 100, 1000)));  // no time passed
    EXPECT_FALSE(IsShake(Sample(100, 100, 1000, 1), Sample(300, 100, 1016, 2)));  // another monitor
    EXPECT_FALSE(IsShake(ShakeSample{}, Sample(300, 100, 1016)));
    EXPECT_FALSE(IsShake(Sample(100, 100, 1016), Sample(300, 100, 1000)));  // clock went back
}

TEST(IdleCursor, HiddenAfterFiveSecondsDimmedAfterThreeInTheBlackout) {
    EXPECT_EQ(IdleCursorFor(OverlayMode::Skylights, 5000), IdleCursor::Unchanged);
    EXPECT_EQ(IdleCursorFor(OverlayMode::Skylights, 5001), IdleCursor::Hidden);
    EXPECT_EQ(IdleCursorFor(OverlayMode::Shaded, 9000), IdleCursor::Hidden);
    EXPECT_EQ(IdleCursorFor(OverlayMode::Blackout, 3000), IdleCursor::Unchanged);
    EXPECT_EQ(IdleCursorFor(OverlayMode::Blackout, 3001), IdleCursor::Dimmed);
}

TEST(NextMode, TransitionTable) {
    using M = OverlayMode;
    for (M from : {M::Hidden, M::Shaded, M::Skylights, M::Blackout}) {
        EXPECT_EQ(NextMode(from, ModeEvent::Reveal, M::Hidden, 1), M::Skylights);
        EXPECT_EQ(NextMode(from, ModeEvent::FullBlack, M::Hidden, 1), M::Blackout);
        EXPECT_EQ(NextMode(from, ModeEvent::Escape, M::Hidden, 1), M::Hidden);
        EXPECT_EQ(NextMode(from, ModeEvent::PressEnded, M::Blackout, 1), M::Blackout);
    }
    EXPECT_EQ(NextMode(M::Blackout, ModeEvent::Shake, M::Hidden, 0), M::Shaded);
    EXPECT_EQ(NextMode(M::Blackout, ModeEvent::Shake, M::Hidden, 3), M::Skylights);
    EXPECT_EQ(NextMode(M::Skylights, ModeEvent::Shake, M::Hidden, 3), M::Skylights);
    EXPECT_EQ(NextMode(M::Shaded, ModeEvent::DragReleased, M::Shaded, 1), M::Skylights);
    EXPECT_EQ(NextMode(M::Skylights, ModeEvent::SkylightClosed, M::Hidden, 0), M::Shaded);
    EXPECT_EQ(NextMode(M::Skylights, ModeEvent::SkylightClosed, M::Hidden, 2), M::Skylights);
}

}  // namespace
