#include "drawing/scrolling.h"

#include <algorithm>

int32_t ClampScroll(int64_t scroll, int64_t contentHeight, int64_t page) {
    return static_cast<int32_t>(std::clamp<int64_t>(scroll, 0, std::max<int64_t>(contentHeight - page, 0)));
}

int32_t ScrollForBar(int32_t scroll, int32_t request, int32_t page, int32_t trackPosition, int32_t contentHeight) {
    int64_t offset = scroll;
    switch (static_cast<ScrollRequest>(request)) {
        case ScrollRequest::LineUp: offset -= 40; break;
        case ScrollRequest::LineDown: offset += 40; break;
        case ScrollRequest::PageUp: offset -= page; break;
        case ScrollRequest::PageDown: offset += page; break;
        case ScrollRequest::ThumbTrack: offset = trackPosition; break;
        default: break;
    }
    return ClampScroll(offset, contentHeight, page);
}

int32_t ScrollForWheel(int32_t scroll, int32_t delta, int32_t contentHeight, int32_t clientHeight) {
    return ClampScroll(int64_t{scroll} + int64_t{delta / 120} * -72, contentHeight, clientHeight);
}
