#pragma once
// The Win32 edge of the portable geometry types.
#include <windows.h>

#include <cstddef>

#include "common/geometry.h"

static_assert(sizeof(Rect) == sizeof(RECT) && offsetof(Rect, left) == offsetof(RECT, left) &&
              offsetof(Rect, top) == offsetof(RECT, top) && offsetof(Rect, right) == offsetof(RECT, right) &&
              offsetof(Rect, bottom) == offsetof(RECT, bottom));
static_assert(sizeof(Point) == sizeof(POINT) && offsetof(Point, x) == offsetof(POINT, x) &&
              offsetof(Point, y) == offsetof(POINT, y));

inline Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Point ToPoint(const POINT& p) { return {p.x, p.y}; }
inline POINT ToPOINT(const Point& p) { return {p.x, p.y}; }

// Mouse positions always come from here, in screen pixels, never from a message's lParam.
inline POINT CursorPosition() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}
