#include "overlay/skylight_layout.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const Rect kPrimary{0, 0, 1920, 1080};
const Rect kLeft{-1024, -100, 0, 668};  // left of the primary, its top above
const Rect kSky{400, 300, 1000, 700};

Rect Resize(const Rect& start, uint32_t edges, int64_t dx, int64_t dy, const Rect& monitor = kPrimary) {
    return ResizedBounds(start, edges, dx, dy, monitor, 200, 20);
}

TEST(SkylightResize, EdgesFollowThePointerWithinMinimumAndMonitorControlsBarBelowOrAbove) {
    EXPECT_EQ(Resize(kSky, kEdgeLeft, -100, 7), (Rect{300, 300, 1000, 700}));
    EXPECT_EQ(Resize(kSky, kEdgeRight, 50, 7), (Rect{400, 300, 1050, 700}));
    EXPECT_EQ(Resize(kSky, kEdgeTop, 7, -30), (Rect{400, 270, 1000, 700}));
    EXPECT_EQ(Resize(kSky, kEdgeBottom, 7, 40), (Rect{400, 300, 1000, 740}));
    EXPECT_EQ(Resize(kSky, kEdgeLeft | kEdgeBottom, 20, -10), (Rect{420, 300, 1000, 690}));
    EXPECT_EQ(Resize(kSky, kEdgeLeft | kEdgeTop, 1000, 1000), (Rect{800, 680, 1000, 700}));
    EXPECT_EQ(Resize(kSky, kEdgeRight | kEdgeBottom, -1000, -1000), (Rect{400, 300, 600, 320}));
    const Rect onLeft{-900, 100, -300, 500};
    EXPECT_EQ(Resize(onLeft, kEdgeLeft | kEdgeTop, -500, -500, kLeft), (Rect{-1024, -100, -300, 500}));
    EXPECT_EQ(Resize(onLeft, kEdgeRight | kEdgeBottom, 500, 500, kLeft), (Rect{-900, 100, 0, 668}));
    // A monitor smaller than the minimum: the skylight may shrink to the monitor's size, no further.
    EXPECT_EQ(ResizedBounds({-100, -50, 480, 750}, kEdgeRight | kEdgeBottom, -300, -500, {0, 0, 480, 800}, 600, 1000),
              (Rect{-100, -50, 380, 750}));
    // Bounds read from a damaged settings file may reach the end of the 32-bit range.
    EXPECT_EQ(Resize({0, 0, INT32_MAX, 500}, kEdgeRight, 10, 0), (Rect{0, 0, 1920, 500}));
    EXPECT_EQ(ControlsBarRect(kSky, kPrimary, 63, 24), (Rect{400, 724, 1000, 787}));
    EXPECT_EQ(ControlsBarRect({400, 300, 1000, 993}, kPrimary, 63, 24), (Rect{400, 1017, 1000, 1080}));
    EXPECT_EQ(ControlsBarRect({400, 600, 1000, 1050}, kPrimary, 63, 24), (Rect{400, 513, 1000, 576}));
    EXPECT_EQ(ControlsBarRect({-900, -50, -300, 600}, kLeft, 63, 24), (Rect{-900, -100, -300, -37}));
    EXPECT_EQ(ControlsBarRect({-50, 100, 2000, 500}, kPrimary, 63, 24), (Rect{0, 524, 1920, 587}));
    EXPECT_EQ(ControlsBarRect({-100, 100, 500, 500}, kPrimary, 63, 24), (Rect{0, 524, 600, 587}));
    EXPECT_EQ(ControlsBarRect({1500, 100, 2100, 500}, kPrimary, 63, 24), (Rect{1320, 524, 1920, 587}));
}

TEST(SkylightGrips, CentredThinnerWhenLowOnTheMonitorFadingAndBottomEndsDragTheirSide) {
    const std::array<Rect, kGripCount> expected{{{384, 316, 416, 684}, {984, 316, 1016, 684}, {400, 284, 1000, 316},
                                                 {400, 684, 1000, 716}, {986, 686, 1014, 714}}};
    EXPECT_EQ(GripRects(kSky, kPrimary, 32, 28), expected);
    const auto low = GripRects({400, 300, 1000, 340}, kPrimary, 32, 28);
    EXPECT_EQ(low[kGripLeft], (Rect{390, 310, 410, 330}));
    EXPECT_EQ(low[kGripBottom], (Rect{400, 330, 1000, 350}));
    EXPECT_EQ(GripRects({1400, 600, 1920, 1080}, kPrimary, 32, 28)[kGripCorner], (Rect{1892, 1052, 1920, 1080}));
    // Idle grips fade with the brightness but stay findable.
    EXPECT_EQ(GripOpacity(5, true), 30);
    EXPECT_EQ(GripOpacity(80, true), 204);
    EXPECT_EQ(GripOpacity(5, false), 255);
    // Grip, position along it, its length, the zone; the last two narrower than two end zones.
    const int cases[][4] = {{kGripTop, 10, 600, 0},     {kGripLeft, 10, 32, 1},      {kGripRight, 10, 32, 2},
                            {kGripCorner, 10, 28, 10},  {kGripBottom, 64, 600, 9},   {kGripBottom, 65, 600, 8},
                            {kGripBottom, 535, 600, 8}, {kGripBottom, 536, 600, 10}, {kGripBottom, 40, 100, 9},
                            {kGripBottom, 60, 100, 10}};
    for (const auto& [grip, at, length, zone] : cases)
        EXPECT_EQ(GripZone(grip, at, length, 64), static_cast<uint32_t>(zone)) << grip << " at " << at;
}

TEST(SkylightParts, AtTheirMonitorsScaleTheSliderKeepsTravelOnTheNarrowestBarAndAPressKeepsItsGrabOnTheThumb) {
    const SkylightParts at96 = LayoutSkylightParts(kSky, kPrimary, kPrimary, 96);
    EXPECT_EQ(at96.bar, (Rect{400, 724, 1000, 787}));
    EXPECT_EQ(at96.closeButton, (Rect{956, 288, 1000, 312}));
    EXPECT_EQ(at96.grips[kGripBottom], (Rect{400, 684, 1000, 716}));
    EXPECT_EQ(at96.slider, (Rect{14, 17, 532, 47}));
    EXPECT_EQ(at96.moon, (Rect{543, 7, 591, 55}));
    // The same skylight once its monitor is at 200 %.
    const SkylightParts at192 = LayoutSkylightParts(kSky, kPrimary, kPrimary, 192);
    EXPECT_EQ(at192.bar, (Rect{400, 748, 1000, 874}));
    EXPECT_EQ(at192.closeButton, (Rect{912, 276, 1000, 324}));
    EXPECT_EQ(at192.grips[kGripBottom], (Rect{400, 668, 1000, 732}));
    EXPECT_EQ(at192.slider, (Rect{28, 34, 464, 94}));
    EXPECT_EQ(at192.moon, (Rect{486, 14, 582, 110}));
    // The narrowest skylight: at 175 % and more its bar once left the thumb a pixel to travel.
    for (int32_t dpi = 96; dpi <= 288; ++dpi) {
        const SkylightParts narrow = LayoutSkylightParts({0, 0, 200, 100}, kPrimary, kPrimary, dpi);
        const Rect& slider = narrow.slider;
        EXPECT_GE(Width(slider) - SliderThumbWidth(slider), 40) << dpi;
        EXPECT_TRUE(slider.right <= narrow.moon.left && narrow.moon.right <= 200 && narrow.moon.top >= 0 &&
                    narrow.moon.bottom <= Height(narrow.bar))
            << dpi;
    }
    // The bar's slider at 96 dpi: 30 high, 480 pixels of travel for a 38-pixel thumb. A press on the thumb keeps
    // its grab, elsewhere the centre jumps; the value stops at the ends.
    const Rect kSlider{14, 17, 532, 47};
    EXPECT_EQ(SliderThumbWidth(kSlider), 38);
    EXPECT_EQ(SliderGrab(kSlider, 50, 254), 0);
    EXPECT_EQ(SliderGrab(kSlider, 50, 291), 37);
    EXPECT_EQ(SliderGrab(kSlider, 50, 253), 19);
    EXPECT_EQ(SliderGrab(kSlider, 50, 292), 19);
    EXPECT_EQ(SliderValueAt(kSlider, 6, 260), 50);
    EXPECT_EQ(SliderValueAt(kSlider, SliderGrab(kSlider, 50, 500), 500), 97);
    EXPECT_EQ(SliderValueAt(kSlider, 19, -200), 0);
    EXPECT_EQ(SliderValueAt(kSlider, 19, 4000), 100);
    // No wider than its thumb: one pixel of travel, and no division by zero.
    const Rect narrow{10, 0, 40, 30};
    EXPECT_EQ(SliderGrab(narrow, 0, 20), 10);
    EXPECT_EQ(SliderValueAt(narrow, 10, 20), 0);
    EXPECT_EQ(SliderValueAt(narrow, 10, 21), 100);
}

}  // namespace
