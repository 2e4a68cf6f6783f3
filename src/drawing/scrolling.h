#pragma once
// How a window's vertical scroll bar and the mouse wheel move its content.
#include <cstdint>

// Scroll-bar requests, numbered as Windows numbers them.
enum class ScrollRequest : int32_t { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbTrack = 5 };

// An offset within 0 .. content - page, or 0 when the content fits.
int32_t ClampScroll(int64_t scroll, int64_t contentHeight, int64_t page);

// The offset after a scroll-bar request (other codes leave it), within 0 .. content - page.
int32_t ScrollForBar(int32_t scroll, int32_t request, int32_t page, int32_t trackPosition, int32_t contentHeight);

// The offset after a wheel turn of `delta` (120 a notch), within 0 .. content - client height.
int32_t ScrollForWheel(int32_t scroll, int32_t delta, int32_t contentHeight, int32_t clientHeight);
