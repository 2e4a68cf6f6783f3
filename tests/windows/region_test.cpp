// Proves the Windows-side layer runs on real Wine: a layered window gets a region and reads it back.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/geometry.h"
#include "common/win_geometry.h"
#include "test_support.h"

namespace {

TEST(WindowRegion, SetAndReadBack) {
    UniqueWindow owner = TestWindow({10, 20, 410, 320}, WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    HWND window = owner.get();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetLayeredWindowAttributes(window, 0, 204, LWA_ALPHA));

    // A frame: the whole window minus a hole of 100 x 50 at (50, 40).
    HRGN frame = CreateRectRgn(0, 0, 400, 300);
    HRGN hole = CreateRectRgn(50, 40, 150, 90);
    CombineRgn(frame, frame, hole, RGN_DIFF);
    DeleteObject(hole);
    ASSERT_NE(SetWindowRgn(window, frame, FALSE), 0);  // the system owns the region now

    HRGN readBack = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window, readBack), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(readBack, 10, 10));
    EXPECT_FALSE(PtInRegion(readBack, 60, 50));
    EXPECT_TRUE(PtInRegion(readBack, 150, 90));  // right and bottom edges are exclusive
    RECT box{};
    GetRgnBox(readBack, &box);
    EXPECT_EQ(ToRect(box), (Rect{0, 0, 400, 300}));
    DeleteObject(readBack);

    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 204);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

}  // namespace
