#pragma once
// Screen geometry without Windows headers. Rect and Point have the layout of RECT and POINT so the
// Windows side can convert them at its edge; all arithmetic on sizes is done in 64 bits because
// stored rectangles may span the whole 32-bit range.
#include <cstdint>

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;   // exclusive
    int32_t bottom = 0;  // exclusive
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline int64_t Width(const Rect& r) { return int64_t{r.right} - r.left; }
inline int64_t Height(const Rect& r) { return int64_t{r.bottom} - r.top; }
// Whether p lies in r (right and bottom excluded).
inline bool Contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// A 64-bit coordinate brought back into the 32-bit range.
int32_t ClampToInt32(int64_t value);

// Centre as left + width / 2 (integer halves), as used to pick the monitor a rectangle belongs to.
Point Centre(const Rect& r);

// Keeps a rectangle where it is unless it sticks out of the monitor, makes it at least 200 x 20
// unless the monitor is smaller, and never larger than the monitor.
Rect FitOnMonitor(const Rect& rect, const Rect& monitor);

// The monitor's rectangle, or the virtual screen when it is empty: a monitor whose information could
// not be read comes back as 0 x 0, and fitting skylights onto that would leave nothing of them.
Rect MonitorOrVirtualScreen(const Rect& monitor, const Rect& virtualScreen);
