// The blackout's faint pointer as the system holds it: the bits of its colour bitmap, its hot spot,
// and the one cursor kept per brightness.
#include "overlay/dimmed_cursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/handles.h"

namespace {

struct CursorBits {
    bool read = false;
    bool isIcon = true;
    POINT hotSpot{};
    std::vector<uint32_t> pixels;  // 32 x 32, top-down, 0xAARRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * 32 + x)]; }
};

CursorBits ReadCursor(HCURSOR cursor) {
    CursorBits result;
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return result;
    UniqueBitmap colour(info.hbmColor);  // GetIconInfo hands out copies the caller deletes
    UniqueBitmap mask(info.hbmMask);
    result.isIcon = info.fIcon != FALSE;
    result.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    BITMAP shape{};
    if (!colour || GetObjectW(colour.get(), sizeof shape, &shape) != sizeof shape) return result;
    if (shape.bmWidth != 32 || shape.bmHeight != 32) return result;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = 32;
    format.bmiHeader.biHeight = -32;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    result.pixels.assign(32 * 32, 0xDEADBEEFu);
    WindowDC screen(nullptr);
    result.read = GetDIBits(screen.get(), colour.get(), 0, 32, result.pixels.data(), &format, DIB_RGB_COLORS) == 32;
    return result;
}

TEST(DimmedCursor, IsAFaintWhiteArrowWithItsHotSpotAtTheTip) {
    const CursorBits bits = ReadCursor(DimmedCursor(30));
    ASSERT_TRUE(bits.read);
    EXPECT_FALSE(bits.isIcon);
    EXPECT_EQ(bits.hotSpot.x, 2);
    EXPECT_EQ(bits.hotSpot.y, 2);
    EXPECT_EQ(bits.At(2, 2), 0x4CFFFFFFu);  // the tip: white at alpha 76
    EXPECT_EQ(bits.At(9, 2), 0x4CFFFFFFu);
    EXPECT_EQ(bits.At(10, 2), 0u);
    EXPECT_EQ(bits.At(1, 2), 0u);
    EXPECT_EQ(bits.At(2, 1), 0u);
    EXPECT_EQ(bits.At(27, 20), 0x4CFFFFFFu);  // the widest row
    EXPECT_EQ(bits.At(28, 20), 0u);
    EXPECT_EQ(bits.At(11, 26), 0x4CFFFFFFu);  // the stem below the wedge
    EXPECT_EQ(bits.At(10, 26), 0u);
    EXPECT_EQ(bits.At(15, 27), 0x4CFFFFFFu);
    EXPECT_EQ(bits.At(13, 28), 0u);
    EXPECT_EQ(bits.At(31, 31), 0u);
}

TEST(DimmedCursor, BrightnessOutsideTheRangeIsClamped) {
    const CursorBits dimmest = ReadCursor(DimmedCursor(0));
    ASSERT_TRUE(dimmest.read);
    EXPECT_EQ(dimmest.At(5, 10), 0x0CFFFFFFu);  // alpha 12, as for 5
    const CursorBits brightest = ReadCursor(DimmedCursor(150));
    ASSERT_TRUE(brightest.read);
    EXPECT_EQ(brightest.At(5, 10), 0xFFFFFFFFu);
}

TEST(DimmedCursor, SameBrightnessGivesTheSameCursor) {
    const HCURSOR first = DimmedCursor(40);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DimmedCursor(40), first);
    EXPECT_EQ(DimmedCursor(40), first);

    // Values clamped to the same brightness share the cursor too.
    const HCURSOR dimmest = DimmedCursor(5);
    ASSERT_NE(dimmest, nullptr);
    EXPECT_EQ(DimmedCursor(3), dimmest);
    EXPECT_EQ(DimmedCursor(-20), dimmest);
}

TEST(DimmedCursor, NewBrightnessDestroysThePreviousCursor) {
    const HCURSOR old = DimmedCursor(50);
    ASSERT_NE(old, nullptr);
    const long live = LiveHandleCount();

    const HCURSOR next = DimmedCursor(60);
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, old);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(old, &info));
    EXPECT_EQ(LiveHandleCount(), live);

    // Each change builds one cursor and drops one, so nothing piles up.
    for (int brightness = 5; brightness <= 100; brightness += 5) ASSERT_NE(DimmedCursor(brightness), nullptr);
    EXPECT_EQ(LiveHandleCount(), live);
    const CursorBits bits = ReadCursor(DimmedCursor(100));
    ASSERT_TRUE(bits.read);
    EXPECT_EQ(bits.At(2, 2), 0xFFFFFFFFu);
}

}  // namespace
