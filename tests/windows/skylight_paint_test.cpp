// The grips' and the close button's pictures as GDI+ and GDI draw them, read away from any edge.
#include "overlay/skylight_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "overlay/skylight_layout.h"
#include "test_support.h"

namespace {

constexpr uint32_t kClear = 0x01000000;  // alpha 1: nothing to see, yet the grip takes the mouse

using SkylightPaint = WithGraphics;

struct Grip {
    int width;
    std::vector<uint32_t> pixels;  // premultiplied 0xAARRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};
Grip Draw(int width, int height, UINT dpi, int slot, POINT pointer, bool hover) {
    Grip grip{width, std::vector<uint32_t>(static_cast<size_t>(width * height))};
    EXPECT_TRUE(DrawGrip(grip.pixels.data(), width, height, dpi, slot, pointer, hover, false));
    return grip;
}

TEST_F(SkylightPaint, IdleEdgeGripIsClearTheTopBarOpaqueAcrossTheMiddleOnly) {
    const auto pixels = Draw(32, 200, 96, kGripLeft, {16, 100}, false).pixels;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kClear), 32 * 200);
    const Grip bar = Draw(200, 32, 96, kGripTop, {100, 16}, false);  // the band is y 4 to 28
    EXPECT_EQ(bar.At(100, 16) >> 24, 0xFFu);
    EXPECT_EQ(bar.At(100, 2), kClear);
}

TEST_F(SkylightPaint, CornerHandleLightsUpOnHoverUnderAWhiteArrow) {
    // At 192 dpi a unit is two pixels; (34, 20) is inside the handle and clear of the arrow.
    const uint32_t idle = Draw(56, 56, 192, kGripCorner, {}, false).At(34, 20);
    const Grip hovered = Draw(56, 56, 192, kGripCorner, {28, 28}, true);
    EXPECT_GT(hovered.At(34, 20) & 0xFF, idle & 0xFF) << "bluer";
    for (int shift = 0; shift < 32; shift += 8)  // the diagonal, white at 245 over the fill, opaque
        EXPECT_GE(hovered.At(28, 28) >> shift & 0xFF, 245u) << std::hex << hovered.At(28, 28);
}

TEST_F(SkylightPaint, HoveredEdgeShowsItsMarkerJustBeforeThePointer) {
    const Grip grip = Draw(400, 32, 96, kGripBottom, {300, 16}, true);  // arrowheads around x 266
    const uint32_t fill = grip.At(266, 7);  // inside the upper arrowhead
    EXPECT_EQ(fill >> 24, 0xFFu);
    EXPECT_EQ(grip.At(266, 24), fill) << "inside the lower one";
    EXPECT_EQ(grip.At(66, 16), fill) << "the edge line runs the whole grip";
    EXPECT_NE(grip.At(266, 11), fill) << "the upper one's outline";
    EXPECT_EQ(grip.At(66, 7), kClear) << "no arrowhead away from the pointer";
}

TEST_F(SkylightPaint, CloseButtonIsARoundedSquareWithAWhiteCross) {
    const auto pixels = Drawn(88, 48, 0x000060, [](HDC dc) { PaintCloseButton(dc, 88, 48, 192); });
    EXPECT_EQ(pixels[1 * 88 + 1], 0x000060u) << "the corner is rounded with a 16-pixel curve";
    EXPECT_NE(pixels[24 * 88 + 4], 0x000060u);
    EXPECT_EQ(pixels[24 * 88 + 44], 0xFFFFFFu);
}

TEST_F(SkylightPaint, RenderingGripsLeavesNoHandleAndShowsThePicture) {
    const UniqueWindow window = TestWindow({100, 100, 300, 132}, WS_POPUP | WS_VISIBLE);
    SetWindowLongPtrW(window.get(), GWL_EXSTYLE, WS_EX_LAYERED);
    const long live = LiveHandleCount();
    for (int i = 0; i < 100; ++i)
        RenderSkylightGrip(window.get(), 96, (i + 3) % kGripCount, {50, 16}, i % 2, i % 3 == 0, 40, i % 4 == 0);
    EXPECT_EQ(LiveHandleCount(), live);
    // The last picture, the top bar at full opacity, reaches the screen.
    const uint32_t band = Draw(200, 32, 96, kGripTop, {50, 16}, false).At(100, 16);
    const COLORREF drawn = RGB(band >> 16 & 0xFF, band >> 8 & 0xFF, band & 0xFF);
    WindowDC screen(nullptr);
    EXPECT_TRUE(WaitFor([&] { return GetPixel(screen.get(), 200, 116) == drawn; }));
}

}  // namespace
