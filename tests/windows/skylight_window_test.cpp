// A skylight's own windows: what they are, where they go, and that they leave nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "test_support.h"

namespace {

using SkylightWindows = WithOverlay;

DWORD ExStyle(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)); }

TEST_F(SkylightWindows, ClickThroughTopmostPartsAroundTheHole) {
    state.skylights = {{{400, 300, 1000, 700}, SkylightShape::Elliptical, 80, true}};
    ASSERT_TRUE(Create());
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
    for (int slot = 0; slot < 5; ++slot) {
        // The grips keep the foreground away by their answer to WM_MOUSEACTIVATE, not by their style.
        EXPECT_EQ(ExStyle(skylight.Grip(slot)) & (kPart | WS_EX_TRANSPARENT),
                  static_cast<DWORD>(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
        EXPECT_TRUE(IsWindowVisible(skylight.Grip(slot)));
    }
    // Windows' word that the skylight's monitor went to 200 % (Wine has one DPI for all monitors).
    RECT suggested = WindowRect(input);
    SendMessageW(input, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_TRUE(SameRect(WindowRect(skylight.CloseButton()), {912, 276, 1000, 324})) << "at twice the size";
    EXPECT_TRUE(SameRect(WindowRect(input), {400, 300, 1000, 700})) << "the skylight itself stays";

    state.mode = OverlayMode::Blackout;
    overlay.Refresh();
    for (HWND part : {input, skylight.Controls(), skylight.CloseButton(), skylight.Grip(4)})
        EXPECT_FALSE(IsWindowVisible(part)) << "the blackout hides every part";
}

// When the skylight's own window moved, as seen by this thread: each move is one reshape of the drag.
std::vector<std::chrono::steady_clock::time_point> inputMoves;
HWND watchedInput = nullptr;
LRESULT CALLBACK CountMoves(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == watchedInput && sent->message == WM_WINDOWPOSCHANGED &&
        !(reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_NOMOVE))
        inputMoves.push_back(std::chrono::steady_clock::now());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SkylightWindows, DragStepsReshapeAtMostOncePerFrameAndLeaveNoHandles) {
    const long before = LiveHandleCount();
    state.skylights = {{{400, 300, 1000, 700}, SkylightShape::Rectangle, 100, true},
                       {{1200, 100, 1600, 300}, SkylightShape::Rectangle, 100, true}};
    ASSERT_TRUE(Create());
    const long shown = LiveHandleCount();
    SkylightWindow& skylight = *overlay.SkylightWindows()[0];
    watchedInput = skylight.Input();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, CountMoves, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    skylight.BeginDrag({500, 500}, nullptr);
    for (int step = 0; step < 1000; ++step) skylight.MoveDrag({500 + step % 300, 500 + step % 200});
    // A frame from the end of one reshape to the next, however long a reshape or a step takes.
    ASSERT_GT(inputMoves.size(), 1u);
    auto closest = std::chrono::steady_clock::duration::max();
    for (size_t i = 1; i < inputMoves.size(); ++i) closest = std::min(closest, inputMoves[i] - inputMoves[i - 1]);
    EXPECT_GE(closest, std::chrono::milliseconds(16)) << inputMoves.size() << " reshapes";
    // The last step went to (599, 699): 99 right and 199 down, and reaches the screen without a release.
    EXPECT_EQ(state.skylights[0].bounds, (Rect{499, 499, 1099, 899}));
    SetCursorPos(599, 699);  // the captured window reads the pointer on every move it is sent
    EXPECT_TRUE(WaitFor([&] { return SameRect(WindowRect(skylight.Input()), {499, 499, 1099, 899}); }, 2000));
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(SameRect(WindowRect(skylight.Controls()), {499, 923, 1099, 986})) << "its pieces went along";
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
