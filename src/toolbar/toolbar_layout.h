#pragma once
// The side toolbar's arithmetic apart from its windows: where the window goes, where its elements
// lie in design units (344 across when expanded, 80 collapsed),
// and when the automatic visibility rules show, expand, collapse or hide the toolbar and its logo.
#include <cstdint>
#include <vector>

#include "common/geometry.h"

struct ToolbarPlacementInput {
    Rect workArea;        // of the monitor under the cursor
    Rect anchorWorkArea;  // of the monitor holding the anchor; used only when anchored
    int32_t effectiveDpi = 96;
    bool collapsed = false;
    bool anchored = false;
    Point anchor;  // the logo window's top-left corner the toolbar's logo slot must land on
};

// The toolbar window's screen rectangle: at the right edge, centred vertically, or anchored so that
// its logo slot lies under the logo window, kept on that monitor's work area.
Rect PlaceToolbar(const ToolbarPlacementInput& input);

// The design unit f (client width / 344) and k units in pixels, truncated toward zero.
float DesignScale(int32_t clientWidth);
int32_t Units(float f, float k);

struct ToolbarLayoutInput {
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t scroll = 0;
    bool hasBanner = false;  // only the first banner is laid out
    double aspectRatio = 0;
    int32_t linkTextHeight = 0;  // the first banner's link, measured trunc(312 f) wide
    bool hasStatus = false;
};

// The expanded toolbar's element rectangles in client pixels, with the scroll offset subtracted.
struct ToolbarLayout {
    Rect logoRect, collapseRect, shareRect, brightnessRect, sliderRect, qrRect;
    std::vector<Rect> bannerImageRects, bannerLinkRects;
    Rect creditsRect, statusRect;
    int32_t contentHeight = 0;
    int32_t scroll = 0;  // clamped to what the content allows
    bool scrollBar = false;
};

ToolbarLayout LayoutToolbar(const ToolbarLayoutInput& input);

// Who holds the mouse capture, as far as the automatic visibility cares.
enum class CaptureOwner { None, ToolbarOrLogo, SkylightControls, Other };

struct VisibilityInput {
    bool shown = false;
    bool temporarilyHidden = false;
    bool moved = false;         // the cursor moved since the last poll
    bool overLogoBefore = false;
    bool overLogoNow = false;   // the cursor lies on the logo window
    bool collapsed = false;
    bool advertisementHidden = false;
    CaptureOwner capture = CaptureOwner::None;
    bool leftButtonDown = false;
    bool draggingSlider = false;
    uint64_t now = 0;           // milliseconds
    uint64_t lastActivity = 0;
};

// What one 100 ms poll does, in this order: show, expand or collapse, hide; then overLogo and
// lastActivity take these values (after the collapse's own presentation).
struct VisibilityActions {
    bool polled = false;  // false: the toolbar is not presented and nothing happens at all
    bool showToolbar = false;
    bool showLogo = false;
    bool expand = false;
    bool collapse = false;
    bool hide = false;
    bool overLogo = false;
    uint64_t lastActivity = 0;
};

inline constexpr uint64_t kIdleMilliseconds = 5000;

VisibilityActions AutoVisibility(const VisibilityInput& input);
