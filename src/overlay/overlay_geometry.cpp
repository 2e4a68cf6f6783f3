#include "overlay/overlay_geometry.h"

#include <algorithm>

int32_t OpacityForBrightness(int32_t brightness) {
    return (100 - std::clamp(brightness, 0, 100)) * 255 / 100;
}

int32_t OverlayOpacity(int32_t backgroundBrightness, bool pressDimmed, bool blackout) {
    if (pressDimmed) return 128;
    if (blackout) return 255;
    return std::max(1, OpacityForBrightness(backgroundBrightness));
}

Rect DefaultSkylightBounds(const Rect& monitor) {
    const int64_t width = Width(monitor) / 2;
    const int64_t height = Height(monitor) / 2;
    const int64_t left = monitor.left + (Width(monitor) - width) / 2;
    const int64_t top = monitor.top + (Height(monitor) - height) / 2;
    return {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + width), ClampToInt32(top + height)};
}

HoleOutline OutlineOf(SkylightShape shape) {
    switch (shape) {
        case SkylightShape::Elliptical:
        case SkylightShape::Circle: return HoleOutline::Ellipse;
        case SkylightShape::Rectangle: return HoleOutline::Rectangle;
        default: return HoleOutline::RoundedRectangle;
    }
}

Rect Offset(const Rect& rect, int64_t dx, int64_t dy) {
    return {ClampToInt32(rect.left + dx), ClampToInt32(rect.top + dy), ClampToInt32(rect.right + dx),
            ClampToInt32(rect.bottom + dy)};
}
