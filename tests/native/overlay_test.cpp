#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "drawing/dpi_scale.h"
#include "drawing/slider_layout.h"
#include "overlay/focus_rules.h"
#include "overlay/overlay_geometry.h"
#include "overlay/skylight_creation.h"
#include "toolbar/toolbar_layout.h"

namespace {

const Rect kPrimary{0, 0, 1920, 1080};
const Rect kLeft{-1024, 0, 0, 768};

// A thousand: the most a settings file holds (checked with the format).
TEST(SkylightLimit, ADragAtTheThousandthSkylightAddsNothing) {
    EXPECT_TRUE(MayAddSkylight(999));
    EXPECT_FALSE(MayAddSkylight(1000));
}

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

TEST(FocusRules, TheFrameElseTheWindowAndNeverOursTheShellCloakedOrMinimised) {
    ForegroundFacts facts{.frame = Rect{10, 10, 90, 90}, .window = {0, 0, 100, 100}};
    EXPECT_EQ(FollowedRect(facts), (Rect{10, 10, 90, 90}));
    facts.frame = Rect{};
    EXPECT_EQ(FollowedRect(facts), (Rect{0, 0, 100, 100}));
    for (bool ForegroundFacts::*flag : {&ForegroundFacts::ours, &ForegroundFacts::shell, &ForegroundFacts::cloaked,
                                        &ForegroundFacts::minimised}) {
        ForegroundFacts excluded = facts;
        excluded.*flag = true;
        EXPECT_EQ(FollowedRect(excluded), std::nullopt);
    }
    facts.visible = false;
    EXPECT_EQ(FollowedRect(facts), std::nullopt);
}

TEST(FocusRules, FullScreenOnlyWhenTheWindowCoversItsWholeMonitor) {
    const std::vector<Rect> monitors{kPrimary, kLeft};
    const auto on = [&](Rect window, bool ours = false) {
        return FullScreenMonitor({.ours = ours, .window = window}, monitors);
    };
    EXPECT_EQ(on(kPrimary), kPrimary);
    EXPECT_EQ(on({-8, -8, 1928, 1088}), kPrimary);           // a maximised frame overhangs
    EXPECT_EQ(on({0, 0, 1920, 1079}), std::nullopt);         // borderless, one pixel short
    EXPECT_EQ(on({-1024, 0, 1920, 1080}), kPrimary);         // across both: the monitor with most of it
    EXPECT_EQ(on({-1024, 0, 100, 768}), kLeft);
    EXPECT_EQ(on({-500, 0, 1500, 1080}), std::nullopt);      // across both, filling neither
    EXPECT_EQ(on(kPrimary, true), std::nullopt);
}

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

// At 96 dpi the expanded toolbar is 344 pixels wide, so one design unit is one pixel.
ToolbarLayout At96(int32_t height, int32_t scroll = 0, bool status = false) {
    return LayoutToolbar({344, height, scroll, false, 0, 0, status});
}

Rect AtTheEdge(const Rect& work, int32_t dpi) { return PlaceToolbar({work, {}, dpi, false, false, {}}); }

TEST(ToolbarLayout, RowsScrollAndPlacementOnTheRightEdgeOrAnchoredOnTheLogo) {
    const ToolbarLayout plain = At96(674);
    EXPECT_EQ(plain.creditsRect, (Rect{16, 454, 328, 530}));
    EXPECT_EQ(plain.contentHeight, 544) << "90 units below the credits' top";
    EXPECT_TRUE(plain.bannerImageRects.empty());
    const ToolbarLayout status = At96(674, 0, true);
    EXPECT_EQ(status.statusRect, (Rect{16, 544, 328, 644}));
    EXPECT_EQ(status.contentHeight, 656) << "202 units below the credits' top";
    EXPECT_FALSE(status.scrollBar);
    // At 150 % every unit is truncated on its own: 454 x 1.5.
    EXPECT_EQ(LayoutToolbar({516, 1011, 0, false, 0, 0, false}).creditsRect, (Rect{24, 681, 492, 795}));
    const ToolbarLayout wide = LayoutToolbar({344, 674, 0, true, 20.0, 19, false});
    EXPECT_EQ(wide.bannerImageRects.at(0), (Rect{16, 454, 328, 518}));
    EXPECT_EQ(wide.bannerLinkRects.at(0), (Rect{16, 522, 328, 566})) << "a one-line link is 44 units high";
    EXPECT_EQ(wide.creditsRect.top, 582);
    EXPECT_EQ(LayoutToolbar({344, 674, 0, true, 0.1, 19, false}).bannerImageRects.at(0).bottom, 1054);
    const ToolbarLayout scrolled = At96(400, 1000, true);
    EXPECT_TRUE(scrolled.scrollBar);
    EXPECT_EQ(scrolled.scroll, 256);
    EXPECT_EQ(scrolled.qrRect, (Rect{98, 32, 246, 180}));
    EXPECT_EQ(At96(400, -5, true).scroll, 0);
    EXPECT_EQ(At96(674, 300).scroll, 0) << "content that fits does not scroll";
    EXPECT_EQ(AtTheEdge({0, 0, 1920, 1040}, 96), (Rect{1564, 183, 1908, 857}));
    EXPECT_EQ(AtTheEdge({0, 0, 1920, 600}, 96), (Rect{1564, 12, 1908, 588})) << "24 px shorter";
    // 125 %: 674 x 120 / 96 is 842.5, which Windows rounds up.
    EXPECT_EQ(AtTheEdge({0, 0, 1920, 1040}, EffectiveDpi(96, 125)), (Rect{1478, 98, 1908, 941}));
    const Rect work{0, 0, 1920, 1040};
    // Near the bottom the header band stays on screen and the rest is cut short.
    EXPECT_EQ(PlaceToolbar({work, work, 96, false, true, {1824, 1000}}), (Rect{1564, 904, 1908, 1040}));
    EXPECT_EQ(PlaceToolbar({work, work, 96, true, true, {5, -50}}), (Rect{0, 0, 80, 90}));
}

TEST(ToolbarSlider, FlatThumbAndValuesAtBothEnds) {
    const Rect slider{26, 240, 318, 262};
    EXPECT_EQ(FlatThumbWidth(slider), 20);
    EXPECT_EQ(SliderValueFor(slider, 20, 10, 0), 0);
    EXPECT_EQ(SliderValueFor(slider, 20, 10, 1900), 100);
    EXPECT_EQ(SliderGrabAt(slider, 20, 50, 100), 10) << "a miss puts the thumb's centre under the pointer";
    // 150 % of the flat design height: thumb 30 x 24, track 9 pixels.
    const SliderLayout layout = LayoutSlider({0, 0, 330, 33}, 100, false);
    EXPECT_EQ(layout.thumb, (Rect{300, 4, 330, 28}));
    EXPECT_EQ(layout.track, (Rect{0, 12, 330, 21}));
    EXPECT_EQ(LayoutSlider({0, 0, 100, 5}, 0, false).track, (Rect{0, 1, 100, 3})) << "at least two pixels";
    // Half of 201 pixels of travel from -500 is -399.5, truncated toward zero.
    EXPECT_EQ(LayoutSlider({-500, -40, -279, -18}, 50, false).thumb, (Rect{-399, -37, -379, -21}));
}

TEST(AutoVisibility, LogoArrivalExpandsSkylightDragCollapsesHeldButtonNeverIdles) {
    // Shown and expanded, last active now, the cursor still.
    const VisibilityInput still{.shown = true, .now = 20000, .lastActivity = 20000};
    VisibilityInput in = still;
    in.collapsed = in.moved = in.overLogoNow = true;
    EXPECT_TRUE(AutoVisibility(in).expand && AutoVisibility(in).overLogo);
    // Resting on the logo is no arrival.
    for (auto spoil : {+[](VisibilityInput& v) { v.overLogoBefore = true; },
                       +[](VisibilityInput& v) { v.advertisementHidden = true; },
                       +[](VisibilityInput& v) { v.leftButtonDown = true; },
                       +[](VisibilityInput& v) { v.capture = CaptureOwner::Other; }}) {
        VisibilityInput spoilt = in;
        spoil(spoilt);
        EXPECT_FALSE(AutoVisibility(spoilt).expand);
    }
    in.temporarilyHidden = true;
    EXPECT_FALSE(AutoVisibility(in).polled);
    in = still;
    in.capture = CaptureOwner::SkylightControls;
    EXPECT_TRUE(AutoVisibility(in).collapse && !AutoVisibility(in).hide);
    in.capture = CaptureOwner::None;
    in.lastActivity = 1000;
    in.leftButtonDown = true;
    const VisibilityActions held = AutoVisibility(in);
    EXPECT_TRUE(!held.collapse && !held.hide && held.lastActivity == 20000u);
    in.leftButtonDown = false;
    in.draggingSlider = true;
    EXPECT_FALSE(AutoVisibility(in).hide);
}

}  // namespace
