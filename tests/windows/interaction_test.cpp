// The overlay's background interaction on a real window: presses, drags, the blackout and its shake,
// cancelled presses, and the tray menu's commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/host_window.h"
#include "common/data_folder.h"
#include "overlay/dimmed_cursor.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> LogMessages() {
    std::ifstream file(fs::path(DataFolder()) / "activity.log");
    std::vector<std::string> messages;
    for (std::string line; std::getline(file, line);) {
        const auto at = line.find(" UTC ");
        if (at != std::string::npos) messages.push_back(line.substr(at + 5, line.find_last_not_of('\r') - at - 4));
    }
    return messages;
}

// Moves the real pointer the way a mouse does.
void MovePointer(int x, int y) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

class Interaction : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(fs::path(DataFolder()) / "settings.json");
        fs::remove(fs::path(DataFolder()) / "activity.log");
        overlay().SetVisibilityHandler([this](bool visible) { visibility.push_back(visible); });
    }
    OverlayWindow& overlay() { return app.overlay; }
    HWND Create() {
        EXPECT_TRUE(overlay().Create(GetModuleHandleW(nullptr), &app.state));
        return overlay().Window();
    }
    // A window of ours that the user was working in before the press.
    HWND OtherWindow() {
        other = TestWindow({50, 50, 250, 150}, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        SetForegroundWindow(other.get());
        return other.get();
    }
    Application app;
    UniqueWindow other;
    std::vector<bool> visibility;
};

TEST_F(Interaction, ClickPeeksAndChangesNothing) {
    HWND window = Create();
    const auto before = app.state.skylights;
    overlay().BeginBackgroundPress({100, 100});
    EXPECT_EQ(Alpha(window), 128);
    EXPECT_EQ(RegionType(window), SIMPLEREGION) << "the peek covers every skylight";
    EXPECT_EQ(GetCapture(), window);
    overlay().MoveBackgroundPointer({102, 101});  // under 3 pixels
    overlay().EndBackgroundPress({102, 101});
    EXPECT_EQ(app.state.skylights, before);
    EXPECT_EQ(app.state.mode, OverlayMode::Skylights);
    EXPECT_EQ(Alpha(window), 255);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(visibility, (std::vector<bool>{false, true}));
    const auto log = LogMessages();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "background preview begin 50 percent");
    EXPECT_EQ(log.back(), "background preview end");
}

TEST_F(Interaction, DragCreatesASkylightAndGivesTheForegroundBack) {
    HWND window = Create();
    HWND previous = OtherWindow();
    overlay().BeginBackgroundPress({500, 400});
    overlay().MoveBackgroundPointer({550, 410});
    EXPECT_TRUE(app.state.previewVisible);
    EXPECT_EQ(app.state.preview, (Rect{500, 400, 700, 500}));
    EXPECT_EQ(Alpha(window), 255) << "the drag ends the peek";
    overlay().EndBackgroundPress({550, 410});
    ASSERT_EQ(app.state.skylights.size(), 2u);
    const SkylightRegion& created = app.state.skylights.back();
    EXPECT_EQ(created.bounds, (Rect{500, 400, 700, 500}));
    EXPECT_EQ(created.brightness, 100);
    EXPECT_TRUE(created.moveEnabled);
    EXPECT_FALSE(app.state.previewVisible);
    EXPECT_EQ(overlay().SkylightWindows().size(), 2u);
    EXPECT_EQ(LogMessages().back(), "skylight created regions=2");
    EXPECT_EQ(GetForegroundWindow(), previous);
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.skylights, app.state.skylights);
}

TEST_F(Interaction, ChosenShapeShapesTheNextSkylight) {
    Create();
    overlay().BeginCreating(SkylightShape::Circle);
    overlay().BeginBackgroundPress({100, 100});
    overlay().MoveBackgroundPointer({400, 280});
    overlay().EndBackgroundPress({400, 280});
    EXPECT_EQ(app.state.skylights.back().bounds, (Rect{100, 100, 400, 400}));
    EXPECT_EQ(app.state.skylights.back().shape, SkylightShape::Circle);
}

TEST_F(Interaction, NothingIsDrawnInTheBlackout) {
    HWND window = Create();
    overlay().ShowFullBlack();
    EXPECT_EQ(Alpha(window), 255);
    EXPECT_EQ(visibility.back(), false);
    overlay().BeginBackgroundPress({500, 400});
    EXPECT_EQ(Alpha(window), 128);
    overlay().MoveBackgroundPointer({900, 800});
    EXPECT_FALSE(app.state.previewVisible);
    overlay().EndBackgroundPress({900, 800});
    EXPECT_EQ(app.state.mode, OverlayMode::Blackout);
    EXPECT_EQ(Alpha(window), 255);
    EXPECT_EQ(app.state.skylights.size(), 1u);
    EXPECT_EQ(visibility.back(), false);
}

// A window of another thread, with a message loop of its own: the window the user was in.
class UserWindow {
public:
    UserWindow() {
        WaitFor([this] { return window != nullptr; });
    }
    ~UserWindow() {
        PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
        thread.join();
    }
    std::atomic<HWND> window{nullptr};

private:
    std::thread thread{[this] {
        UniqueWindow own = TestWindow({50, 50, 250, 150}, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        window = own.get();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    }};
};

TEST_F(Interaction, PressCutShortGivesBackControlsAndForeground) {
    HWND window = Create();
    const struct {
        const char* how;
        std::function<void()> cut;
        bool controls;
    } cuts[] = {
        {"cancel mode", [&] { SendMessageW(window, WM_CANCELMODE, 0, 0); }, true},
        {"display change", [&] { SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080)); }, true},
        {"capture lost", [] { ReleaseCapture(); }, true},
        {"Ctrl+K", [&] { overlay().RevealFromShortcut(); }, true},
        {"blackout", [&] { overlay().ShowFullBlack(); }, false},
    };
    UserWindow user;
    for (const auto& c : cuts) {
        SetForegroundWindow(user.window);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == user.window; })) << c.how;
        visibility.clear();
        overlay().BeginBackgroundPress({500, 400});
        overlay().MoveBackgroundPointer({700, 600});
        ASSERT_EQ(GetForegroundWindow(), window) << c.how << ": the press takes the foreground";
        c.cut();
        EXPECT_EQ(visibility, (std::vector<bool>{false, c.controls})) << c.how;
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == user.window; }, 2000)) << c.how;
        EXPECT_FALSE(app.state.previewVisible) << c.how;
        EXPECT_EQ(app.state.skylights.size(), 1u) << c.how << ": a press cut short creates nothing";
        EXPECT_EQ(GetCapture(), nullptr) << c.how;
    }
    visibility.clear();
    SendMessageW(window, WM_CANCELMODE, 0, 0);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_TRUE(visibility.empty()) << "without a press there is nothing to give back";
}

TEST_F(Interaction, DrawingStopsAtTheSkylightLimit) {
    for (int i = 0; i < 1000; ++i) app.state.skylights.push_back({{i % 40 * 40, i / 40 * 40, i % 40 * 40 + 30, i / 40 * 40 + 30}});
    Create();
    overlay().BeginBackgroundPress({1700, 900});
    overlay().MoveBackgroundPointer({1800, 1000});
    overlay().EndBackgroundPress({1800, 1000});
    EXPECT_EQ(app.state.skylights.size(), 1000u);
    const auto log = LogMessages();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "skylight limit reached");
    EXPECT_EQ(log.back(), "background preview end");
    EXPECT_FALSE(fs::exists(fs::path(DataFolder()) / "settings.json")) << "nothing new to save";
}

TEST_F(Interaction, EscapeHidesAndSaves) {
    HWND window = Create();
    fs::remove(fs::path(DataFolder()) / "settings.json");
    overlay().ExitLikeEscape();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.state.mode, OverlayMode::Hidden);
    EXPECT_TRUE(fs::exists(fs::path(DataFolder()) / "settings.json"));
    EXPECT_EQ(LogMessages().back(), "overlay hidden");
    overlay().RevealFromShortcut();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(app.state.mode, OverlayMode::Skylights);
}

TEST_F(Interaction, FastFlickLeavesTheBlackoutSlowMovesDoNot) {
    Create();
    overlay().ShowFullBlack();
    MovePointer(600, 500);
    Pump(100);
    for (int x = 601; x < 641; ++x) {  // 1 pixel per poll: about 60 px/s
        MovePointer(x, 500);
        Pump(17);
    }
    EXPECT_EQ(app.state.mode, OverlayMode::Blackout);
    MovePointer(700, 500);  // 60 pixels between two polls
    EXPECT_TRUE(WaitFor([&] {
        Pump(5);
        return app.state.mode == OverlayMode::Skylights;
    }, 2000));
    EXPECT_EQ(visibility.back(), true);
}

TEST_F(Interaction, IdlePointerBecomesTheDimmedCursorInTheBlackout) {
    Create();
    overlay().ShowFullBlack();
    MovePointer(300, 300);
    Pump(3200);
    CURSORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetCursorInfo(&info));
    EXPECT_EQ(info.hCursor, DimmedCursor(30));
}

TEST(TrayMenu, ReadBackWithItsCheckMark) {
    Application app;
    app.state.textScale = 125;
    UniqueMenu menu = BuildTrayMenu(app);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 13);
    wchar_t text[128] = {};
    GetMenuStringW(menu.get(), 0, text, 128, MF_BYPOSITION);
    EXPECT_STREQ(text, L"打开控制栏 / Open controls (Ctrl+K)");
    EXPECT_TRUE(GetMenuState(menu.get(), 7, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_FALSE(GetMenuState(menu.get(), 10, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu.get(), 11, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu.get(), 12, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(menu.get(), 12), 5u);
}

TEST(TrayMenu, SizeCommandSavesAndShapeCommandReveals) {
    fs::remove(fs::path(DataFolder()) / "settings.json");
    Application app;
    ASSERT_TRUE(app.overlay.Create(GetModuleHandleW(nullptr), &app.state));
    app.overlay.ExitLikeEscape();
    RunTrayCommand(app, 12);
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.textScale, 150);
    RunTrayCommand(app, 8);
    EXPECT_EQ(app.state.creationShape, SkylightShape::HorizontalStrip);
    EXPECT_EQ(app.state.mode, OverlayMode::Skylights);
    EXPECT_TRUE(IsWindowVisible(app.overlay.Window()));
    RunTrayCommand(app, 0);  // a dismissed menu
    EXPECT_EQ(app.state.mode, OverlayMode::Skylights);
}

}  // namespace

namespace {

TEST(HostWindow, EndOfSessionSavesAndObjectsWhenSavingFails) {
    const fs::path settings = fs::path(DataFolder()) / "settings.json";
    fs::remove(settings);
    Application app;
    ASSERT_TRUE(CreateHostWindow(GetModuleHandleW(nullptr), &app));
    app.state.backgroundBrightness = 42;
    EXPECT_EQ(SendMessageW(app.host, WM_QUERYENDSESSION, 0, 0), TRUE);
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.backgroundBrightness, 42);

    fs::create_directory(settings.string() + ".tmp");
    app.state.backgroundBrightness = 43;
    EXPECT_EQ(SendMessageW(app.host, WM_QUERYENDSESSION, 0, 0), FALSE) << "the session may not end unsaved";
    fs::remove(settings.string() + ".tmp");
    DestroyWindow(app.host);
}

}  // namespace
