#include "overlay/cursor_image.h"

#include <algorithm>

int32_t CursorBrightness(int32_t brightness) { return std::clamp(brightness, 5, 100); }

CursorImage DimmedCursorImage(int32_t brightness) {
    const uint32_t alpha = static_cast<uint32_t>(CursorBrightness(brightness) * 255 / 100);
    const uint32_t white = alpha << 24 | 0x00FFFFFFu;
    CursorImage image{};
    auto fill = [&](int32_t y, int32_t fromX, int32_t toX) {
        for (int32_t x = fromX; x <= toX; ++x) image[static_cast<size_t>(y * kCursorImageSize + x)] = white;
    };
    for (int32_t y = 2; y <= 25; ++y) fill(y, 2, 2 + std::min(y, 20) + 5);  // the wedge
    for (int32_t y = 13; y <= 27; ++y) fill(y, 11, 15);                     // the stem
    return image;
}
