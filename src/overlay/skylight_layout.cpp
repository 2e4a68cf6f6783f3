#include "overlay/skylight_layout.h"

#include <algorithm>

#include "drawing/dpi_scale.h"
#include "drawing/slider_layout.h"

namespace {

// Stored bounds may span the whole 32-bit range, so sums are taken in 64 bits and only the result
// is brought back.
Rect MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(right), ClampToInt32(bottom)};
}

}  // namespace

Rect ResizedBounds(const Rect& start, uint32_t edges, int64_t dx, int64_t dy, const Rect& monitor, int32_t minWidth,
                   int32_t minHeight) {
    // On a monitor smaller than the minimum the skylight may still fill the monitor.
    const int64_t minW = std::min<int64_t>(minWidth, Width(monitor));
    const int64_t minH = std::min<int64_t>(minHeight, Height(monitor));
    int64_t left = start.left;
    int64_t top = start.top;
    int64_t right = start.right;
    int64_t bottom = start.bottom;
    // Each edge measures the minimum from the edges already moved, so it holds even when both sides move.
    if (edges & kEdgeLeft) left = std::max<int64_t>(std::min(right - minW, left + dx), monitor.left);
    if (edges & kEdgeRight) right = std::min<int64_t>(std::max(left + minW, right + dx), monitor.right);
    if (edges & kEdgeTop) top = std::max<int64_t>(std::min(bottom - minH, top + dy), monitor.top);
    if (edges & kEdgeBottom) bottom = std::min<int64_t>(std::max(top + minH, bottom + dy), monitor.bottom);
    return MakeRect(left, top, right, bottom);
}

Rect ControlsBarRect(const Rect& skylight, const Rect& monitor, int32_t height, int32_t gap) {
    const int64_t width = std::min(Width(skylight), Width(monitor));
    const int64_t x =
        skylight.left < monitor.left ? monitor.left : std::min<int64_t>(monitor.right - width, skylight.left);
    int64_t y = int64_t{skylight.bottom} + gap;
    if (y + height > monitor.bottom) {
        y = std::max<int64_t>(int64_t{skylight.top} - (int64_t{height} + gap), monitor.top);
    }
    return MakeRect(x, y, x + width, y + height);
}

std::array<Rect, kGripCount> GripRects(const Rect& skylight, const Rect& monitor, int32_t thickness, int32_t corner) {
    const Rect& b = skylight;
    // A thin skylight gets thinner grips, or the grips of opposite edges would cover all of it.
    const int64_t g = std::min({Height(b) / 2, Width(b) / 2, int64_t{thickness}});
    const int64_t half = g / 2;
    const int64_t cornerX = std::min<int64_t>(int64_t{monitor.right} - corner, b.right - int64_t{corner} / 2);
    const int64_t cornerY = std::min<int64_t>(int64_t{monitor.bottom} - corner, b.bottom - int64_t{corner} / 2);
    std::array<Rect, kGripCount> grips;
    grips[kGripLeft] = MakeRect(b.left - half, b.top + half, b.left - half + g, b.bottom - half);
    grips[kGripRight] = MakeRect(b.right - half, b.top + half, b.right - half + g, b.bottom - half);
    grips[kGripTop] = MakeRect(b.left, b.top - half, b.right, b.top - half + g);
    grips[kGripBottom] = MakeRect(b.left, b.bottom - half, b.right, b.bottom - half + g);
    grips[kGripCorner] = MakeRect(cornerX, cornerY, cornerX + corner, cornerY + corner);
    return grips;
}

uint32_t GripZone(int slot, int32_t x, int32_t width, int32_t endZone) {
    switch (slot) {
        case kGripLeft: return kEdgeLeft;
        case kGripRight: return kEdgeRight;
        case kGripCorner: return kEdgeRight | kEdgeBottom;
        case kGripBottom: {
            // The bottom grip's ends stand in for the lower corners, which have no grip of their own.
            const int64_t zone = std::min<int64_t>(width / 2, endZone);
            uint32_t edges = kEdgeBottom;
            if (x <= zone) edges |= kEdgeLeft;
            if (x >= width - zone) edges |= kEdgeRight;
            return edges;
        }
        default: return 0;  // the top grip, and anything unknown, moves
    }
}

ResizeCursor CursorForEdges(uint32_t edges) {
    switch (edges) {
        case 0: return ResizeCursor::Move;
        case kEdgeLeft | kEdgeTop:
        case kEdgeRight | kEdgeBottom: return ResizeCursor::NorthWestSouthEast;
        case kEdgeRight | kEdgeTop:
        case kEdgeLeft | kEdgeBottom: return ResizeCursor::NorthEastSouthWest;
        default: return edges & (kEdgeLeft | kEdgeRight) ? ResizeCursor::WestEast : ResizeCursor::NorthSouth;
    }
}

int32_t GripOpacity(int32_t brightness, bool idle) {
    if (!idle) return 255;
    return std::clamp(brightness, 12, 100) * 255 / 100;
}

SkylightParts LayoutSkylightParts(const Rect& skylight, const Rect& barMonitor, const Rect& gripMonitor, int32_t dpi) {
    const auto at = [](int32_t pixels, int32_t scale) { return int64_t{MulDivRounded(pixels, scale, 96)}; };
    const auto scaled = [&](int32_t pixels) { return at(pixels, dpi); };
    SkylightParts parts;
    parts.bar = ControlsBarRect(skylight, barMonitor, ClampToInt32(scaled(63)), ClampToInt32(scaled(24)));
    parts.closeButton = MakeRect(skylight.right - scaled(44), skylight.top - scaled(12), skylight.right,
                                 skylight.top + scaled(12));
    parts.grips = GripRects(skylight, gripMonitor, ClampToInt32(scaled(32)), ClampToInt32(scaled(28)));

    // Across the bar at 96 dpi: margin 14, slider, gap 11, moon 48, margin 9, and the slider's thumb
    // is 38 of its width: 120 pixels besides the travel. Where the bar is too narrow for them at its
    // own scale, they go at the scale that leaves 40 pixels of travel (2 more cover the rounding of
    // three sizes); a thumb as wide as the track would set 0 or 100 for any click.
    const int64_t width = Width(parts.bar);
    const auto row = static_cast<int32_t>(std::clamp<int64_t>((width - 42) * 96 / 120, 1, std::max(dpi, 1)));
    const auto across = [&](int32_t pixels) { return at(pixels, row); };
    const int64_t sliderHeight = across(30), sliderTop = scaled(32) - sliderHeight / 2;
    const int64_t sliderLeft = across(14);
    parts.slider = MakeRect(sliderLeft, sliderTop, std::max(sliderLeft, width - across(68)), sliderTop + sliderHeight);
    const int64_t moonLeft = width - across(57), moonSize = across(48), moonTop = scaled(31) - moonSize / 2;
    parts.moon = MakeRect(moonLeft, moonTop, moonLeft + moonSize, moonTop + moonSize);
    return parts;
}

int32_t SliderThumbWidth(const Rect& slider) { return ClampToInt32(Height(slider) * 38 / 30); }

int32_t SliderGrab(const Rect& slider, int32_t value, int32_t x) {
    return SliderGrabAt(slider, SliderThumbWidth(slider), value, x);
}

int32_t SliderValueAt(const Rect& slider, int32_t grab, int32_t x) {
    return SliderValueFor(slider, SliderThumbWidth(slider), grab, x);
}
