#include "toolbar/toolbar_layout.h"

#include <gtest/gtest.h>

#include "toolbar/slider_layout.h"

namespace {

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
    VisibilityInput still;  // shown and expanded, last active now, the cursor still
    still.shown = true;
    still.now = still.lastActivity = 20000;
    VisibilityInput in = still;
    in.collapsed = in.moved = in.overLogoNow = true;
    EXPECT_TRUE(AutoVisibility(in).expand);
    EXPECT_TRUE(AutoVisibility(in).overLogo);
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
    VisibilityActions act = AutoVisibility(in);
    EXPECT_TRUE(act.collapse);
    EXPECT_FALSE(act.hide);
    in.capture = CaptureOwner::None;
    in.lastActivity = 1000;
    in.leftButtonDown = true;
    act = AutoVisibility(in);
    EXPECT_FALSE(act.collapse || act.hide);
    EXPECT_EQ(act.lastActivity, 20000u);
    in.leftButtonDown = false;
    in.draggingSlider = true;
    EXPECT_FALSE(AutoVisibility(in).hide);
}

}  // namespace
