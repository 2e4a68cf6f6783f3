#include "overlay/dimmed_cursor.h"

#include <cstring>

#include "common/handles.h"
#include "overlay/cursor_image.h"

namespace {

struct CursorCache {
    UniqueCursor cursor;
    int32_t brightness = -1;  // none built yet
};

CursorCache& Cache() {
    static CursorCache cache;
    return cache;
}

UniqueCursor BuildCursor(int32_t brightness) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kCursorImageSize;
    info.bmiHeader.biHeight = -kCursorImageSize;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap colour;
    {
        WindowDC screen(nullptr);
        colour.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    if (!colour || !bits) return {};
    const CursorImage image = DimmedCursorImage(brightness);
    std::memcpy(bits, image.data(), sizeof image);

    UniqueBitmap mask(CreateBitmap(kCursorImageSize, kCursorImageSize, 1, 1, nullptr));
    if (!mask) return {};

    ICONINFO iconInfo{};
    iconInfo.fIcon = FALSE;
    iconInfo.xHotspot = 2;
    iconInfo.yHotspot = 2;
    iconInfo.hbmMask = mask.get();
    iconInfo.hbmColor = colour.get();
    // CreateIconIndirect copies both bitmaps, so ours go when this returns.
    return UniqueCursor(CreateIconIndirect(&iconInfo));
}

}  // namespace

HCURSOR DimmedCursor(int32_t brightness) {
    CursorCache& cache = Cache();
    const int32_t b = CursorBrightness(brightness);
    if (cache.brightness == b) return cache.cursor.get();
    cache.cursor.reset();
    cache.brightness = b;
    cache.cursor = BuildCursor(b);
    return cache.cursor.get();
}
