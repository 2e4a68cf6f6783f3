// Background presses on a real overlay (peek, drawing, blackout, cut short); the host window's end.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <tuple>

#include "app/application.h"
#include "app/host_window.h"
#include "test_support.h"

namespace {

// A window of another thread, with a message loop of its own: the window the user was in.
struct UserWindow {
    UserWindow() { WaitFor([this] { return window != nullptr; }); }
    ~UserWindow() { PostMessageW(window, WM_QUIT, 0, 0); }
    bool InForeground() {
        SetForegroundWindow(window);
        return WaitFor([this] { return GetForegroundWindow() == window; });
    }
    std::atomic<HWND> window{nullptr};
    std::jthread thread{[this] {
        UniqueWindow own = TestWindow({50, 50, 250, 150}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        window = own.get();
        for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;) DispatchMessageW(&message);
    }};
};

class Interaction : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettingsFiles();
        app.overlay.SetVisibilityHandler([this](bool visible) { visibility.push_back(visible); });
        ASSERT_TRUE(app.overlay.Create(GetModuleHandleW(nullptr), &app.state));  // with the default skylight
        window = app.overlay.Window();
    }
    Application app;
    HWND window = nullptr;
    std::vector<bool> visibility;
};

TEST_F(Interaction, PressPeeksDragShowsThePreviewAndTheForegroundComesBack) {
    UserWindow user;
    ASSERT_TRUE(user.InForeground());
    app.overlay.BeginBackgroundPress({100, 100});
    EXPECT_EQ(Alpha(window), 128);
    EXPECT_FALSE(InHole(window, 960, 540)) << "the peek covers every skylight";
    app.overlay.MoveBackgroundPointer({400, 280});
    EXPECT_EQ(Alpha(window), 255) << "the drag ends the peek";
    EXPECT_TRUE(InHole(window, 960, 540) && InHole(window, 250, 190)) << "skylights and the preview while dragging";
    app.overlay.EndBackgroundPress({400, 280});
    EXPECT_EQ(visibility, (std::vector<bool>{false, true}));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == user.window; }));
}

TEST_F(Interaction, BlackoutPeeksButDrawsNothing) {
    app.overlay.SetBackgroundBrightness(90);
    app.overlay.ShowFullBlack();
    EXPECT_FALSE(InHole(window, 960, 540)) << "no skylight in the blackout";
    app.overlay.BeginBackgroundPress({500, 400});
    app.overlay.MoveBackgroundPointer({900, 800});
    app.overlay.EndBackgroundPress({900, 800});
    EXPECT_TRUE(app.state.mode == OverlayMode::Blackout && Alpha(window) == 255 && app.state.skylights.size() == 1);
    EXPECT_EQ(visibility, (std::vector<bool>{false, false, false}));
}

TEST_F(Interaction, PressCutShortGivesBackControlsAndForeground) {
    const std::tuple<const char*, std::function<void()>, bool> cuts[] = {  // how, the cut, controls back
        {"cancel mode", [&] { SendMessageW(window, WM_CANCELMODE, 0, 0); }, true},
        {"display change", [&] { SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080)); }, true},
        {"capture lost", [] { ReleaseCapture(); }, true},
        {"Ctrl+K", [&] { app.overlay.RevealFromShortcut(); }, true},
        {"blackout", [&] { app.overlay.ShowFullBlack(); }, false},
    };
    UserWindow user;
    for (const auto& [how, cut, controls] : cuts) {
        ASSERT_TRUE(user.InForeground()) << how;
        visibility.clear();
        app.overlay.BeginBackgroundPress({500, 400});
        app.overlay.MoveBackgroundPointer({700, 600});
        ASSERT_EQ(GetForegroundWindow(), window) << how << ": the press takes the foreground";
        cut();
        EXPECT_EQ(visibility, (std::vector<bool>{false, controls})) << how;
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == user.window; }, 2000)) << how;
        EXPECT_TRUE(!app.state.previewVisible && GetCapture() == nullptr) << how;
        EXPECT_EQ(app.state.skylights.size(), 1u) << how << ": a press cut short creates nothing";
    }
    visibility.clear();
    SendMessageW(window, WM_CANCELMODE, 0, 0);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_TRUE(visibility.empty()) << "without a press there is nothing to give back";
}

TEST_F(Interaction, SkylightMenuOwnsTheForegroundWhileOpenAndGivesItBack) {
    UserWindow user;
    ASSERT_TRUE(user.InForeground());
    const HWND controls = app.overlay.SkylightWindows()[0]->Controls();
    static HWND foregroundInMenu = nullptr;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        foregroundInMenu = GetForegroundWindow();
        EndMenu();
    });
    SendMessageW(controls, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(controls), MAKELPARAM(600, 600));
    EXPECT_EQ(foregroundInMenu, controls) << "Windows keeps the menu open through a click outside it";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == user.window; }, 2000));
}

TEST(HostWindow, GoesWithTheApplicationWhenTheStartStopsHalfWay) {
    HWND host = nullptr;
    NOTIFYICONDATAW tray{};
    {
        Application app;
        host = CreateHostWindow(GetModuleHandleW(nullptr), &app);
        ASSERT_NE(host, nullptr);
        AddTrayIcon(&app, GetModuleHandleW(nullptr));
        tray = app.tray;
    }
    // Still alive, it would hand later messages to an application that no longer exists.
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &tray)) << "the tray icon outlived the host window";
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
