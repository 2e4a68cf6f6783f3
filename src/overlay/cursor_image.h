#pragma once
// The picture of the blackout's faint pointer, apart from the cursor object built from it.
#include <array>
#include <cstdint>

inline constexpr int32_t kCursorImageSize = 32;

// One 32-bit pixel per entry, row by row from the top-left: alpha in the high byte, then red, green,
// blue (the byte order of a 32-bit DIB), not premultiplied.
using CursorImage = std::array<uint32_t, kCursorImageSize * kCursorImageSize>;

// The brightness a cursor is built and cached for: 5..100, so the pointer never vanishes entirely.
int32_t CursorBrightness(int32_t brightness);

// An arrow of white pixels with alpha brightness * 255 / 100 on a fully transparent square; its tip
// is at (2, 2), the hot spot.
CursorImage DimmedCursorImage(int32_t brightness);
