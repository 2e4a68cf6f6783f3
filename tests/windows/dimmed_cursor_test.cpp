// The blackout's faint pointer as the system holds it: its picture and hot spot, and the one cursor
// kept per brightness.
#include "overlay/dimmed_cursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/handles.h"
#include "test_support.h"

namespace {

// A cursor's hot spot and the pixels of its colour bitmap (32 x 32 of 0xAARRGGBB, top-down).
struct CursorBits {
    POINT hotSpot{};
    std::vector<uint32_t> pixels = std::vector<uint32_t>(32 * 32);
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * 32 + x)]; }
};

CursorBits ReadCursor(HCURSOR cursor) {
    CursorBits result;
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(cursor, &info));
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);  // copies the caller deletes
    result.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    BITMAPINFO format = TopDown32(32, 32);
    WindowDC screen(nullptr);
    EXPECT_EQ(GetDIBits(screen.get(), colour.get(), 0, 32, result.pixels.data(), &format, DIB_RGB_COLORS), 32);
    return result;
}

TEST(DimmedCursor, IsAFaintWhiteArrowWithItsHotSpotAtTheTip) {
    const CursorBits bits = ReadCursor(DimmedCursor(30));
    EXPECT_EQ(bits.hotSpot.x, 2);
    EXPECT_EQ(bits.hotSpot.y, 2);
    // White at alpha 76, not premultiplied: the tip, the widest row, the stem.
    for (const POINT lit : {POINT{2, 2}, POINT{9, 2}, POINT{27, 20}, POINT{15, 27}})
        EXPECT_EQ(bits.At(lit.x, lit.y), 0x4CFFFFFFu) << lit.x << ", " << lit.y;
    for (const POINT clear : {POINT{1, 2}, POINT{2, 1}, POINT{10, 2}, POINT{28, 20}, POINT{10, 26}, POINT{13, 28}})
        EXPECT_EQ(bits.At(clear.x, clear.y), 0u) << clear.x << ", " << clear.y;
}

TEST(DimmedCursor, OneCursorPerBrightnessAndNoneLeft) {
    const HCURSOR first = DimmedCursor(40);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DimmedCursor(40), first) << "the same brightness is built once";
    const long live = LiveHandleCount();
    EXPECT_NE(DimmedCursor(60), first);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(first, &info)) << "the cursor of the previous brightness is destroyed";
    for (int brightness = 5; brightness <= 100; brightness += 5) ASSERT_NE(DimmedCursor(brightness), nullptr);
    EXPECT_EQ(LiveHandleCount(), live);
    EXPECT_EQ(ReadCursor(DimmedCursor(100)).At(2, 2), 0xFFFFFFFFu);
}

}  // namespace
