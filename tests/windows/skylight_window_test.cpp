// A skylight's own windows in this process: what they are, where they go, and that they leave
// nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "overlay/overlay_window.h"
#include "test_support.h"

namespace {

class SkylightWindows : public ::testing::Test {
protected:
    void SetUp() override { RemoveSettingsFiles(); }
    void TearDown() override { RemoveSettingsFiles(); }
    AppState state;
};

DWORD ExStyle(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)); }

TEST_F(SkylightWindows, ClickThroughTopmostPartsAroundTheHole) {
    state.skylights = {{{400, 300, 1000, 700}, SkylightShape::Elliptical, 80, true}};
    OverlayWindow overlay;
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    const SkylightWindow& skylight = *overlay.SkylightWindows()[0];

    constexpr DWORD kPart = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    HWND input = skylight.Input();
    EXPECT_EQ(ExStyle(input) & (kPart | WS_EX_TRANSPARENT), kPart | WS_EX_TRANSPARENT);
    EXPECT_EQ(GetWindow(input, GW_OWNER), overlay.Window());
    EXPECT_TRUE(SameRect(WindowRect(input), {400, 300, 1000, 700}));
    EXPECT_EQ(Alpha(input), 51) << "brightness 80 lets 80 % through";
    EXPECT_TRUE(InHole(input, 2, 2)) << "the window has the skylight's elliptical shape";
    EXPECT_FALSE(InHole(input, 300, 200));

    EXPECT_EQ(ExStyle(skylight.Controls()) & kPart, kPart);
    EXPECT_TRUE(SameRect(WindowRect(skylight.Controls()), {400, 724, 1000, 787})) << "24 px under the skylight";
    EXPECT_TRUE(SameRect(WindowRect(skylight.CloseButton()), {956, 288, 1000, 312})) << "astride the top-right end";
    EXPECT_EQ(GetWindow(skylight.CloseButton(), GW_OWNER), overlay.Window());
    EXPECT_TRUE(SameRect(WindowRect(skylight.Grip(2)), {400, 284, 1000, 316})) << "the top grip on the top edge";
    for (int slot = 0; slot < 5; ++slot) {
        // The grips keep the foreground away by their answer to WM_MOUSEACTIVATE, not by their style.
        EXPECT_EQ(ExStyle(skylight.Grip(slot)) & (kPart | WS_EX_TRANSPARENT),
                  static_cast<DWORD>(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
        EXPECT_TRUE(IsWindowVisible(skylight.Grip(slot)));
    }

    state.mode = OverlayMode::Blackout;
    overlay.Refresh();
    for (HWND part : {input, skylight.Controls(), skylight.CloseButton(), skylight.Grip(4)})
        EXPECT_FALSE(IsWindowVisible(part)) << "the blackout hides every part";
}

TEST_F(SkylightWindows, DraggingMovesOneHoleAndLeavesNoHandles) {
    const long before = LiveHandleCount();
    state.skylights = {{{400, 300, 1000, 700}, SkylightShape::Rectangle, 100, true},
                       {{1200, 100, 1600, 300}, SkylightShape::Rectangle, 100, true}};
    OverlayWindow overlay;
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    const long shown = LiveHandleCount();
    SkylightWindow& skylight = *overlay.SkylightWindows()[0];
    skylight.BeginDrag({500, 500}, nullptr);
    for (int step = 0; step < 1000; ++step) skylight.MoveDrag({500 + step % 300, 500 + step % 200});
    // The last step went to (599, 699): 99 right and 199 down.
    EXPECT_EQ(state.skylights[0].bounds, (Rect{499, 499, 1099, 899}));
    EXPECT_TRUE(InHole(overlay.Window(), 1000, 850)) << "the hole went along";
    EXPECT_FALSE(InHole(overlay.Window(), 450, 350)) << "and left nothing behind";
    EXPECT_TRUE(InHole(overlay.Window(), 1400, 200)) << "the other hole stays";
    skylight.EndDrag();
    EXPECT_EQ(LiveHandleCount(), shown);
    overlay.CloseRegion(1);
    overlay.CloseRegion(0);
    EXPECT_EQ(LiveHandleCount(), before);
}

}  // namespace
