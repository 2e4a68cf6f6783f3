#pragma once
// Where a skylight's own windows go and how a drag changes it, apart from the windows: the controls
// bar, the five resize grips, the brightness slider and the resize rules. Sizes are physical pixels;
// the caller scales the 96-dpi sizes first.
#include <array>
#include <cstdint>

#include "common/geometry.h"

// Edges a drag moves; none means the whole skylight moves.
enum EdgeBits : uint32_t { kEdgeLeft = 1, kEdgeRight = 2, kEdgeTop = 4, kEdgeBottom = 8 };

// The skylight `start` resized by a drag of (dx, dy) on the given edges: left, right, top, bottom in
// that order, each edge stopping where the skylight would become narrower than min(minWidth,
// monitor width) or lower than min(minHeight, monitor height), and never passing the monitor's edge.
Rect ResizedBounds(const Rect& start, uint32_t edges, int64_t dx, int64_t dy, const Rect& monitor, int32_t minWidth,
                   int32_t minHeight);

// The controls bar of a skylight: `gap` below it, or above it (but not above the monitor) when it
// would leave the monitor's bottom; as wide as the skylight but no wider than the monitor, and
// shifted onto the monitor horizontally.
Rect ControlsBarRect(const Rect& skylight, const Rect& monitor, int32_t height, int32_t gap);

// Grip slots, in the order the skylight keeps them.
enum GripSlot : int { kGripLeft = 0, kGripRight = 1, kGripTop = 2, kGripBottom = 3, kGripCorner = 4 };
inline constexpr int kGripCount = 5;

// The five grips' rectangles in screen pixels. Edge grips are min(height / 2, width / 2, thickness)
// thick and centred on the border, the side grips stopping half a grip short of the top and bottom;
// the corner handle is corner x corner around the lower-right corner but never leaves the monitor
// on the right or at the bottom.
std::array<Rect, kGripCount> GripRects(const Rect& skylight, const Rect& monitor, int32_t thickness, int32_t corner);

// The edge bits a press on a grip drags: the top grip moves (0), the sides their edge, the corner
// right and bottom. The bottom grip's ends, within min(width / 2, endZone) of either end, also
// take the left or right edge along. `x` and `width` are in the grip's client pixels.
uint32_t GripZone(int slot, int32_t x, int32_t width, int32_t endZone);

enum class ResizeCursor { Move, NorthWestSouthEast, NorthEastSouthWest, WestEast, NorthSouth };

// The cursor a grip shows for the edge bits it would drag.
ResizeCursor CursorForEdges(uint32_t edges);

// The grips' opacity: full while the controls show; when idle, the skylight's brightness but never
// below 12 %, so the grips stay findable over a dark skylight.
int32_t GripOpacity(int32_t brightness, bool idle);

// Everything of a skylight that is sized at 96 dpi and scales with the DPI of its monitor: the bar
// (by ControlsBarRect on `barMonitor`, the monitor nearest the skylight's top-left corner), the close
// button on the top-right corner and the grips (by GripRects on `gripMonitor`, the monitor nearest
// its centre) in screen pixels; the slider and the moon button in the bar's client pixels. On a
// narrow bar at a large scale the slider's thumb, the moon and the margins between them shrink
// together so that the slider keeps at least 40 pixels of travel.
struct SkylightParts {
    Rect bar, slider, moon, closeButton;
    std::array<Rect, kGripCount> grips;
};
SkylightParts LayoutSkylightParts(const Rect& skylight, const Rect& barMonitor, const Rect& gripMonitor, int32_t dpi);

// The raised slider of the skylight controls: its thumb is height * 38 / 30 wide.
int32_t SliderThumbWidth(const Rect& slider);

// Where a press at x grabs the thumb: the offset inside it, or half a thumb when the press misses
// the thumb (so the thumb's centre jumps under the pointer).
int32_t SliderGrab(const Rect& slider, int32_t value, int32_t x);

// The value (0..100) for the pointer at x when the thumb was grabbed at `grab`.
int32_t SliderValueAt(const Rect& slider, int32_t grab, int32_t x);
