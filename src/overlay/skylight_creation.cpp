#include "overlay/skylight_creation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// One axis of the drawn rectangle: at least `minimum` long, growing away from the press point.
void DrawnSpan(int64_t from, int64_t to, int64_t minimum, int64_t& low, int64_t& high) {
    if (std::llabs(to - from) < minimum) {
        low = to < from ? from - minimum : from;
        high = low + minimum;
    } else {
        low = std::min(from, to);
        high = std::max(from, to);
    }
}

}  // namespace

double Distance(Point a, Point b) {
    return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}

Rect DrawnRectangle(Point press, Point current, const Rect& monitor) {
    int64_t left = 0, right = 0, top = 0, bottom = 0;
    DrawnSpan(press.x, current.x, 200, left, right);
    DrawnSpan(press.y, current.y, 100, top, bottom);
    // The same fitting as for stored skylights: never across two monitors.
    return FitOnMonitor({ClampToInt32(left), ClampToInt32(top), ClampToInt32(right), ClampToInt32(bottom)}, monitor);
}

Rect AdjustForShape(Rect drawn, SkylightShape shape, const Rect& monitor) {
    int64_t left = drawn.left, top = drawn.top, right = drawn.right, bottom = drawn.bottom;
    switch (shape) {
        case SkylightShape::Circle: {
            const int64_t side = std::min({Width(monitor), Height(monitor), std::max(Width(drawn), Height(drawn))});
            right = left + side;
            bottom = top + side;
            break;
        }
        case SkylightShape::HorizontalStrip: bottom = top + std::max(Width(drawn) / 5, int64_t{100}); break;
        case SkylightShape::VerticalStrip: right = left + std::max(Height(drawn) / 5, int64_t{200}); break;
        default: break;
    }
    if (right > monitor.right) {
        left -= right - monitor.right;
        right = monitor.right;
    }
    if (bottom > monitor.bottom) {
        top -= bottom - monitor.bottom;
        bottom = monitor.bottom;
    }
    return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(right), ClampToInt32(bottom)};
}

bool IsShake(const ShakeSample& previous, const ShakeSample& current) {
    if (!previous.valid || previous.monitor != current.monitor || current.time < previous.time) return false;
    const uint64_t dt = current.time - previous.time;
    if (dt < 1 || dt > 120) return false;
    const double distance = Distance(previous.point, current.point);
    return distance >= 12.0 && distance * 1000.0 / static_cast<double>(dt) >= 650.0;
}

IdleCursor IdleCursorFor(OverlayMode mode, uint64_t idleMs) {
    if (mode == OverlayMode::Blackout) return idleMs > 3000 ? IdleCursor::Dimmed : IdleCursor::Unchanged;
    return idleMs > 5000 ? IdleCursor::Hidden : IdleCursor::Unchanged;
}

OverlayMode NextMode(OverlayMode current, ModeEvent event, OverlayMode modeBeforePress, size_t skylights) {
    const OverlayMode shown = skylights == 0 ? OverlayMode::Shaded : OverlayMode::Skylights;
    switch (event) {
        case ModeEvent::Reveal:
        case ModeEvent::DragReleased: return OverlayMode::Skylights;
        case ModeEvent::FullBlack: return OverlayMode::Blackout;
        case ModeEvent::Escape: return OverlayMode::Hidden;
        case ModeEvent::Shake: return current == OverlayMode::Blackout ? shown : current;
        case ModeEvent::PressEnded: return modeBeforePress;
        case ModeEvent::SkylightClosed: return shown;
    }
    return current;
}

bool MayAddSkylight(size_t count) { return count < kMaxSkylights; }
