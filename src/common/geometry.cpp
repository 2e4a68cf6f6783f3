#include "common/geometry.h"

#include <algorithm>
#include <limits>

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

Point Centre(const Rect& r) {
    return {static_cast<int32_t>(r.left + Width(r) / 2), static_cast<int32_t>(r.top + Height(r) / 2)};
}

Rect FitOnMonitor(const Rect& rect, const Rect& monitor) {
    const int64_t width = std::min(std::max(Width(rect), int64_t{200}), Width(monitor));
    const int64_t height = std::min(std::max(Height(rect), int64_t{20}), Height(monitor));
    const int64_t left = rect.left < monitor.left ? monitor.left
                                                  : std::min<int64_t>(rect.left, monitor.right - width);
    const int64_t top = rect.top < monitor.top ? monitor.top
                                               : std::min<int64_t>(rect.top, monitor.bottom - height);
    // Every value now lies inside the monitor, so it fits 32 bits again.
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
            static_cast<int32_t>(top + height)};
}

Rect MonitorOrVirtualScreen(const Rect& monitor, const Rect& virtualScreen) {
    return Width(monitor) > 0 && Height(monitor) > 0 ? monitor : virtualScreen;
}
