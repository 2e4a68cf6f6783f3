#include "toolbar/toolbar_layout.h"

#include <algorithm>
#include <cmath>

#include "drawing/dpi_scale.h"
#include "drawing/scrolling.h"

namespace {

// The expanded and the collapsed design widths, and where the logo slot lies in each.
constexpr float kExpandedUnits = 344.0f;
constexpr float kCollapsedUnits = 80.0f;

Rect Scrolled(float f, float left, float top, float right, float bottom, int32_t scroll) {
    return {Units(f, left), Units(f, top) - scroll, Units(f, right), Units(f, bottom) - scroll};
}

// A full-width element of the flowing part: 16 to 328 units across, pixel rows top..bottom.
Rect Row(float f, int32_t top, int32_t bottom, int32_t scroll) {
    return {Units(f, 16), top - scroll, Units(f, 328), bottom - scroll};
}

}  // namespace

Rect PlaceToolbar(const ToolbarPlacementInput& in) {
    const Rect& work = in.workArea;
    const int32_t e = in.effectiveDpi;
    const auto workWidth = static_cast<int32_t>(Width(work)), workHeight = static_cast<int32_t>(Height(work));
    const int32_t w = std::min(workWidth - 24, MulDivRounded(in.collapsed ? 80 : 344, e, 96));
    int32_t h = in.collapsed ? MulDivRounded(90, e, 96) : std::min(workHeight - 24, MulDivRounded(674, e, 96));
    if (!in.anchored) {
        const int32_t x = work.right - w - 12;
        const int32_t y = work.top + (workHeight - h) / 2;
        return {x, y, x + w, y + h};
    }
    const float g = static_cast<float>(w) / (in.collapsed ? kCollapsedUnits : kExpandedUnits);
    int32_t x = in.anchor.x - Units(g, in.collapsed ? 12.0f : 260.0f);
    int32_t y = in.anchor.y - Units(g, in.collapsed ? 8.0f : 36.0f);
    const Rect& area = in.anchorWorkArea;
    x = x < area.left ? area.left : std::min(area.right - w, x);
    if (in.collapsed) {
        y = y < area.top ? area.top : std::min(area.bottom - h, y);
    } else {
        // The header band stays on the monitor, so the toolbar can always be dragged back.
        y = y < area.top ? area.top : std::min(area.bottom - MulDivRounded(136, e, 96), y);
        h = std::min(area.bottom - y, h);
    }
    return {x, y, x + w, y + h};
}

float DesignScale(int32_t clientWidth) { return static_cast<float>(clientWidth) / kExpandedUnits; }

int32_t Units(float f, float k) { return static_cast<int32_t>(k * f); }

ToolbarLayout LayoutToolbar(const ToolbarLayoutInput& in) {
    const float f = DesignScale(in.clientWidth);
    ToolbarLayout layout;

    // The flowing part first: the content height decides the scroll offset every rectangle uses.
    int32_t y = Units(f, 454);
    int32_t imageTop = 0, imageHeight = 0, linkTop = 0, linkHeight = 0;
    if (in.hasBanner) {
        const double raw = static_cast<double>(Units(f, 312)) / in.aspectRatio;
        const int32_t lowest = Units(f, 64), highest = Units(f, 600);
        // Compared before the conversion: a ratio the banner parser let through as NaN or zero must
        // not reach an undefined float-to-int conversion.
        imageHeight = !(raw >= lowest) ? lowest : static_cast<int32_t>(std::min<double>(highest, raw));
        imageTop = y;
        linkTop = y + Units(f, 4) + imageHeight;
        linkHeight = std::max(in.linkTextHeight + Units(f, 12), Units(f, 44));
        y = linkTop + Units(f, 16) + linkHeight;
    }
    layout.contentHeight = y + Units(f, 90) + (in.hasStatus ? Units(f, 112) : 0);
    layout.scrollBar = layout.contentHeight > in.clientHeight;
    const int32_t s = ClampScroll(in.scroll, layout.contentHeight, in.clientHeight);
    layout.scroll = s;

    layout.logoRect = Scrolled(f, 252, 28, 336, 114, s);
    layout.collapseRect = Scrolled(f, 22, 160, 46, 184, s);
    layout.shareRect = Scrolled(f, 227, 149, 328, 193, s);
    layout.brightnessRect = Scrolled(f, 16, 207, 328, 270, s);
    layout.sliderRect = Scrolled(f, 26, 240, 318, 262, s);
    layout.qrRect = Scrolled(f, 98, 288, 246, 436, s);
    if (in.hasBanner) {
        layout.bannerImageRects.push_back(Row(f, imageTop, imageTop + imageHeight, s));
        layout.bannerLinkRects.push_back(Row(f, linkTop, linkTop + linkHeight, s));
    }
    layout.creditsRect = Row(f, y, y + Units(f, 76), s);
    layout.statusRect = Row(f, y + Units(f, 90), y + Units(f, 90) + Units(f, 100), s);
    return layout;
}

VisibilityActions AutoVisibility(const VisibilityInput& in) {
    VisibilityActions act;
    if (!in.shown || in.temporarilyHidden) return act;
    act.polled = true;
    act.overLogo = in.overLogoNow;
    act.lastActivity = in.lastActivity;
    // Only the arrival on the logo counts: resting on it after a collapse must not expand again.
    const bool entered = in.overLogoNow && !in.overLogoBefore;
    bool collapsed = in.collapsed;
    bool skipCaptureRule = false;
    if (in.moved) {
        act.lastActivity = in.now;
        act.showToolbar = collapsed;
        act.showLogo = true;
        if (collapsed && entered && !in.advertisementHidden && in.capture == CaptureOwner::None) {
            act.expand = !in.leftButtonDown;
            collapsed = collapsed && !act.expand;
            skipCaptureRule = true;
        }
    }
    // A skylight's controls being dragged: the expanded toolbar steps aside.
    if (!skipCaptureRule && in.capture == CaptureOwner::SkylightControls && !collapsed) {
        act.collapse = true;
        act.lastActivity = in.now;  // the collapse presents the toolbar anew
        return act;
    }
    if (in.capture == CaptureOwner::ToolbarOrLogo || in.draggingSlider || in.leftButtonDown) {
        act.lastActivity = in.now;
        return act;
    }
    if (in.now - act.lastActivity < kIdleMilliseconds) return act;
    act.collapse = !collapsed;
    // Stays "shown": the next movement brings the logo and the collapsed strip back.
    act.hide = true;
    act.lastActivity = in.now - kIdleMilliseconds;
    return act;
}
