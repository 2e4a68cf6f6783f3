// The settings file held by other programs, and a real overlay: Esc, closing skylights, failed saves;
// a skylight's own windows: what they are, where they go, and that they leave nothing behind; the
// toolbar and its logo: the windows, temporary hiding, painting, banners.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>

#include "state/settings_file.h"
#include "test_support.h"
#include "toolbar/toolbar_window.h"

namespace {

constexpr char kValid[] = R"({"version": 1, "skylights": [{"bounds": [1, 2, 301, 202]}]})";

TEST(SettingsFile, LoadsWhileHeldForWritingAndASaveWaitsOutOnlyABriefScan) {
    RemoveSettingsFiles();
    const std::filesystem::path path = DataFile("settings.json");
    WriteBytes(path, kValid);
    AppState state;
    EXPECT_TRUE(Hold(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ) &&  // an editor, a sync
                LoadSettings(state) && state.skylights.size() == 1);
    UniqueFile held = Hold(DataFile("settings.json.tmp"), GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_TRUE(held && !SaveSettings(state));
    EXPECT_EQ(ReadBytes(path), kValid);
    held.reset();
    // A virus scanner or sync client reading it without delete sharing: a moment, then for good.
    for (const auto& [holdMs, saved] : {std::pair{200, true}, std::pair{3000, false}}) {
        UniqueFile scan = Hold(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        const std::string before = ReadBytes(path);
        state.backgroundBrightness = holdMs / 100;
        std::thread scanner([&scan, pause = holdMs] { Sleep(pause); scan.reset(); });
        EXPECT_EQ(SaveSettings(state), saved) << "held for " << holdMs << " ms";
        scanner.join();
        EXPECT_EQ(ReadBytes(path) == before, !saved) << "held for " << holdMs << " ms";
    }
    RemoveSettingsFiles();
}

using Overlay = WithOverlay;

// That the closed skylight's hole closes and the list is saved is seen end to end.
TEST_F(Overlay, ClosingOneOf51SkylightsKeepsTheOthersWindowsDecoratesTheLastAndEscIsHeldOnlyWhileShown) {
    state.skylights = {{{100, 100, 300, 200}, SkylightShape::Rectangle, 100, true},
                       {{400, 100, 600, 200}, SkylightShape::Elliptical, 100, true}};
    for (int i = 0; i < 49; ++i) state.skylights.push_back({{20 * i, 500, 20 * i + 15, 515}});
    ASSERT_TRUE(Create());
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE));
    const HWND second = overlay.SkylightWindows()[1]->Input();
    ASSERT_FALSE(overlay.SkylightWindows()[50]->Decorated());
    PostMessageW(overlay.Window(), CloseSkylightMessage, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return state.skylights.size() == 50; }));
    overlay.CloseRegion(70);  // a stale request
    ASSERT_EQ(state.skylights.size(), 50u);
    EXPECT_EQ(state.skylights[0].bounds.left, 400);
    ASSERT_EQ(overlay.SkylightWindows().size(), 50u);
    EXPECT_EQ(overlay.SkylightWindows()[0]->Input(), second) << "the others' windows stay";
    for (size_t i = 0; i < 50; ++i) EXPECT_EQ(overlay.SkylightWindows()[i]->Index(), i);
    EXPECT_TRUE(overlay.SkylightWindows()[49]->Decorated()) << "fifty wear their parts again";
    overlay.ExitLikeEscape();
    EXPECT_TRUE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE)) << "other programs get Esc back";
    UnregisterHotKey(nullptr, 77);
}

// Each box is shown from a posted message: let the thread handle every private message queued.
bool NoPrivateMessageLeft() {
    MSG message;
    return !PeekMessageW(&message, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE);
}

TEST_F(Overlay, FailedSavesShowOneBoxAfterTheSavingCalls) {
    std::filesystem::create_directories(DataFile("settings.json.tmp"));  // every save now fails
    EXPECT_EQ(AnswerBoxesDuring(IDCANCEL, [&] {
        ASSERT_TRUE(Create());  // saves the default skylight
        overlay.SetBackgroundBrightness(10);
    }).size(), 0u) << "a box inside the saving call";
    EXPECT_EQ(AnswerBoxesDuring(IDCANCEL, [&] {
        WaitFor(NoPrivateMessageLeft);
        overlay.SetBackgroundBrightness(20);
        WaitFor(NoPrivateMessageLeft);
    }).size(), 1u);
    EXPECT_EQ(state.backgroundBrightness, 20) << "the state is kept when saving fails";
}

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
    EXPECT_EQ(WindowRect(input), (RECT{400, 300, 1000, 700}));
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
    EXPECT_EQ(WindowRect(skylight.CloseButton()), (RECT{912, 276, 1000, 324})) << "at twice the size";
    EXPECT_EQ(WindowRect(input), (RECT{400, 300, 1000, 700})) << "the skylight itself stays";

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
    EXPECT_TRUE(WaitFor([&] { return WindowRect(skylight.Input()) == RECT{499, 499, 1099, 899}; }, 2000));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(WindowRect(skylight.Controls()), (RECT{499, 923, 1099, 986})) << "its pieces went along";
    EXPECT_TRUE(InHole(overlay.Window(), 1000, 850)) << "the hole went along";
    EXPECT_FALSE(InHole(overlay.Window(), 450, 350)) << "and left nothing behind";
    EXPECT_TRUE(InHole(overlay.Window(), 1400, 200)) << "the other hole stays";
    skylight.EndDrag();
    EXPECT_EQ(LiveHandleCount(), shown);
    overlay.CloseRegion(1);
    overlay.CloseRegion(0);
    EXPECT_EQ(LiveHandleCount(), before);
}

TEST_F(SkylightWindows, AThousandStayWithinWindowsLimitsAndTheirPartsFollowThePointer) {
    for (int i = 0; i < 1000; ++i) {
        const int x = 20 + (i % 40) * 47, y = 20 + (i / 40) * 42;
        state.skylights.push_back({{x, y, x + 30, y + 30}, SkylightShape::Rectangle, 100, true});
    }
    ASSERT_TRUE(Create());
    auto decorated = [&] {
        return std::ranges::count_if(overlay.SkylightWindows(), [](const auto& s) { return s->Decorated(); });
    };
    EXPECT_EQ(decorated(), 50);
    // Wine counts neither (it answers 0); Windows allows 10,000 of each.
    EXPECT_LT(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 5000u);
    EXPECT_LT(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), 5000u);
    EXPECT_TRUE(InHole(overlay.Window(), 1853 + 15, 1028 + 15)) << "the last one has its hole";
    EXPECT_TRUE(IsWindowVisible(overlay.SkylightWindows()[999]->Input())) << "and its brightness";
    SetCursorPos(1853 + 15, 1028 + 15);
    overlay.PollMouse();
    EXPECT_TRUE(overlay.SkylightWindows()[999]->Decorated()) << "the pointer brought its parts";
    EXPECT_TRUE(IsWindowVisible(overlay.SkylightWindows()[999]->Controls()));
    EXPECT_EQ(decorated(), 50) << "from the one left longest ago";
}

class Toolbar : public WithOverlay {
protected:
    void TearDown() override {
        DeleteFileW(DataFile("banner-a.image").c_str());
        DeleteFileW(DataFile("banners.json").c_str());
        WithOverlay::TearDown();
    }
    // Online, with one cached banner whose picture a case may write.
    bool Start(bool online = true) {
        if (online)
            WriteBytes(DataFile("banners.json"), R"({"items":[{"enabled":true,"kind":"banner","imageID":"a",)"
                                                 R"("targetURL":"https://x.example/old"}]})");
        return Create() && toolbar.Create(GetModuleHandleW(nullptr), &overlay, online);
    }
    ToolbarWindow toolbar;
};
using OnlineToolbar = Toolbar;

TEST_F(Toolbar, TopmostToolWindowsThatNeverActivateHideForAMomentAndPaintWithoutLeaks) {
    ASSERT_TRUE(Start(false));
    constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    for (HWND window : {toolbar.Window(), toolbar.Logo()}) {
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & kExStyle, kExStyle);
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_CHILD), LONG_PTR{WS_POPUP});
        EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    }
    EXPECT_EQ(GetWindow(toolbar.Window(), GW_OWNER), overlay.Window());
    EXPECT_EQ(GetWindow(toolbar.Logo(), GW_OWNER), toolbar.Window());

    // Hiding for a moment gives back only what was shown and stops every timer; painting leaves no handles.
    auto shown = [&] { return IsWindowVisible(toolbar.Window()) || IsWindowVisible(toolbar.Logo()); };
    auto ticking = [&] {  // the overlay's tick, which drives the toolbar's visibility rules too
        MSG tick;
        while (PeekMessageW(&tick, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {}
        Sleep(250);
        return PeekMessageW(&tick, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE) != 0;
    };
    EXPECT_TRUE(ticking());
    overlay.ExitLikeEscape();
    toolbar.TemporarilyHide(true);
    EXPECT_FALSE(ticking()) << "a hidden program's timers sleep";
    toolbar.TemporarilyHide(true);  // hidden twice: the first call's record counts
    EXPECT_FALSE(shown());
    toolbar.TemporarilyHide(false);
    EXPECT_TRUE(IsWindowVisible(toolbar.Window()) && IsWindowVisible(toolbar.Logo()));
    const long before = LiveHandleCount();
    for (int round = 0; round < 50; ++round) {
        toolbar.SetCollapsed(round % 2 == 0);
        RedrawWindow(toolbar.Logo(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        toolbar.Poll();
        UpdateWindow(toolbar.Window());
    }
    EXPECT_EQ(LiveHandleCount(), before);
    toolbar.Hide();
    toolbar.TemporarilyHide(true);
    toolbar.TemporarilyHide(false);
    RECT suggested{0, 0, 400, 700};
    SendMessageW(toolbar.Window(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    SendMessageW(toolbar.Window(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    SendMessageW(toolbar.Window(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(shown()) << "displays, DPI and work area changed while it was put away";
}

// Calls of GDI+'s image decoders so far (the test runs with them in Wine's relay log).
size_t Decodes() {
    const std::string log = ReadBytes(std::getenv("LUMENFOLD_RELAY_LOG"));
    size_t count = 0;
    for (size_t at = 0; (at = log.find("Call gdiplus.", at)) != std::string::npos; ++at) ++count;
    return count;
}

TEST_F(OnlineToolbar, BannerPicturesAreCheckedBeforeDecodingAndDecodedOncePerSize) {
    ASSERT_TRUE(Start());
    auto show = [&](const std::string& image) {
        WriteBytes(DataFile("banner-a.image"), image);
        for (int paint = 0; paint < 3; ++paint) {
            toolbar.Poll();
            UpdateWindow(toolbar.Window());
        }
    };
    const size_t before = Decodes();
    show(std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x75\x30\0\0\x75\x30\x01\0\0\0\0\x4E\x5C\xC5\x17", 33) +
         std::string(4 << 20, '\0'));  // 30000 x 30000
    EXPECT_EQ(Decodes(), before) << "refused by its header (which formats pass is checked natively)";
    // A 2 x 1 picture: decoded once, then only drawn; decoded again for a new size.
    show(std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x08\x02\0\0\0\x7B\x40\xE8\xDD\0\0\0\x0D"
                     "IDAT\x78\x9C\x63\xF8\xCF\xC0\0\x44\0\x08\xFE\x01\xFF\xC6\x9E\x79\xF7\0\0\0\0IEND\xAE\x42\x60\x82",
                     70));
    EXPECT_EQ(Decodes(), before + 1);
    state.textScale = 125;
    toolbar.ShowExpanded();
    EXPECT_EQ(Decodes(), before + 2);
}

TEST_F(OnlineToolbar, ContentThatNeedsTheBarOnlyAtFullWidthIsLaidOutForTheBar) {
    // 686 units tall at the full 344 px (too tall), but 649 px in the 327 px the bar leaves.
    ASSERT_TRUE(Start());
    RECT client{};
    GetClientRect(toolbar.Window(), &client);
    EXPECT_EQ(client.right, 327) << "the bar stays";
    // 580 px down is the credits card only in the narrow layout: sharing opens and hides the overlay.
    SendMessageW(toolbar.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(160, 580));
    SendMessageW(toolbar.Window(), WM_LBUTTONUP, 0, MAKELPARAM(160, 580));
    EXPECT_EQ(state.mode, OverlayMode::Hidden);
}

TEST_F(OnlineToolbar, WheelAndBarScrollTheContentWithinItsHeight) {
    // A banner and a status line (an unreadable identity) make the content taller than the toolbar.
    DeleteFileW(DataFile("owner.dpapi").c_str());  // made by an earlier online case
    ASSERT_TRUE(CreateDirectoryW(DataFile("owner.dpapi").c_str(), nullptr));
    ASSERT_TRUE(Start());
    auto position = [&] {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(toolbar.Window(), SB_VERT, &info);
        return std::array<int, 3>{info.nPos, info.nMax, static_cast<int>(info.nPage)};
    };
    ASSERT_GT(position()[1], position()[2]) << "taller than the toolbar";
    // The layer drawn once per width scrolls with the rest (above the banner, whose picture may arrive meanwhile).
    RECT c{};
    auto picture = [&] {
        RedrawWindow(toolbar.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        GetClientRect(toolbar.Window(), &c);
        const WindowDC w(toolbar.Window());
        return Drawn(c.right, c.bottom, 0, [&](HDC d) { BitBlt(d, 0, 0, c.right, c.bottom, w.get(), 0, 0, SRCCOPY); });
    };
    const auto top = picture();
    SendMessageW(toolbar.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(position()[0], 72) << "one notch down";
    const auto down = picture();
    EXPECT_TRUE(std::equal(down.begin(), down.begin() + 150 * c.right, top.begin() + 72 * c.right)) << "72 rows up";
    SendMessageW(toolbar.Window(), WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(position()[0], 0);
    SendMessageW(toolbar.Window(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(position()[0], 40);
    state.textScale = 125;
    toolbar.ShowExpanded();
    const auto wider = picture();
    SendMessageW(toolbar.Window(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(picture() == wider) << "a new width draws the layer anew";
    RemoveDirectoryW(DataFile("owner.dpapi").c_str());
}

}  // namespace
