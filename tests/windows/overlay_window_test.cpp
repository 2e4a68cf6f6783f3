// A real overlay window in this process: its window, region, opacity, hot key and saves.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "common/data_folder.h"
#include "overlay/overlay_window.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

fs::path SettingsPath() { return fs::path(DataFolder()) / "settings.json"; }

class Overlay : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(SettingsPath());
        fs::remove_all(SettingsPath().string() + ".tmp");
    }
    void TearDown() override { SetUp(); }
    AppState state;
    OverlayWindow overlay;
};

TEST_F(Overlay, CoversTheVirtualScreenWithTheDefaultSkylight) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    HWND window = overlay.Window();
    wchar_t className[64] = {}, title[64] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(className, L"Lumenfold.Windows.Overlay");
    EXPECT_STREQ(title, L"Lumenfold background");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)) & 0x08080088u, 0x08080088u);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(Alpha(window), 255) << "background brightness 0 is the darkest";

    ASSERT_EQ(state.skylights.size(), 1u);
    const SkylightRegion& skylight = state.skylights[0];
    EXPECT_EQ(skylight.bounds, (Rect{480, 270, 1440, 810}));
    EXPECT_EQ(skylight.shape, SkylightShape::Rounded);
    EXPECT_EQ(skylight.brightness, 80);
    EXPECT_FALSE(skylight.moveEnabled);
    EXPECT_EQ(state.mode, OverlayMode::Skylights);
    EXPECT_EQ(overlay.SkylightWindows().size(), 1u);

    EXPECT_TRUE(InHole(window, 960, 540));
    EXPECT_TRUE(InHole(window, 480 + 12, 270 + 1));
    EXPECT_FALSE(InHole(window, 480, 270)) << "rounded corner";
    EXPECT_FALSE(InHole(window, 479, 540));
    EXPECT_FALSE(InHole(window, 1440, 540)) << "right edge is exclusive";

    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.skylights, state.skylights) << "the default skylight is saved at once";
}

TEST_F(Overlay, EscapeHotKeyIsHeldOnlyWhileShown) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE));
    EXPECT_EQ(GetLastError(), 1409u);  // ERROR_HOTKEY_ALREADY_REGISTERED
    state.mode = OverlayMode::Hidden;
    overlay.Refresh();
    EXPECT_FALSE(IsWindowVisible(overlay.Window()));
    EXPECT_FALSE(overlay.SkylightWindows()[0]->Shown());
    ASSERT_TRUE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE));
    UnregisterHotKey(nullptr, 77);
}

TEST_F(Overlay, ClosingASkylightRenumbersTheRest) {
    state.skylights = {{{100, 100, 300, 200}, SkylightShape::Rectangle, 100, true},
                       {{400, 100, 600, 200}, SkylightShape::Elliptical, 100, true},
                       {{700, 100, 900, 200}, SkylightShape::Circle, 100, true}};
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    HWND window = overlay.Window();
    EXPECT_FALSE(fs::exists(SettingsPath())) << "nothing to save when no default was added";
    EXPECT_TRUE(InHole(window, 101, 101));
    EXPECT_FALSE(InHole(window, 401, 101)) << "an ellipse leaves its bounding corners dark";

    PostMessageW(window, CloseSkylightMessage, 0, 0);
    Pump(50);
    ASSERT_EQ(state.skylights.size(), 2u);
    EXPECT_EQ(state.skylights[0].bounds.left, 400);
    ASSERT_EQ(overlay.SkylightWindows().size(), 2u);
    EXPECT_EQ(overlay.SkylightWindows()[0]->Index(), 0u);
    EXPECT_EQ(overlay.SkylightWindows()[1]->Index(), 1u);
    EXPECT_FALSE(InHole(window, 150, 150));
    EXPECT_TRUE(fs::exists(SettingsPath()));

    overlay.CloseRegion(7);  // a stale request
    EXPECT_EQ(state.skylights.size(), 2u);
    overlay.CloseRegion(1);
    overlay.CloseRegion(0);
    EXPECT_EQ(state.mode, OverlayMode::Shaded);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(RegionType(window), SIMPLEREGION) << "no holes left";
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_TRUE(saved.skylights.empty());
}

TEST_F(Overlay, BackgroundBrightnessSetsOpacityAndSavesOnlyChanges) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    overlay.SetBackgroundBrightness(40);
    EXPECT_EQ(Alpha(overlay.Window()), 153);
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.backgroundBrightness, 40);

    fs::remove(SettingsPath());
    overlay.SetBackgroundBrightness(40);
    EXPECT_FALSE(fs::exists(SettingsPath())) << "an unchanged value is not saved";
    overlay.SetBackgroundBrightness(250);
    EXPECT_EQ(state.backgroundBrightness, 100);
    EXPECT_EQ(Alpha(overlay.Window()), 1);
}

TEST_F(Overlay, BlackoutCoversEverything) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    state.backgroundBrightness = 90;
    state.mode = OverlayMode::Blackout;
    overlay.Refresh();
    EXPECT_EQ(Alpha(overlay.Window()), 255);
    EXPECT_EQ(RegionType(overlay.Window()), SIMPLEREGION);
    EXPECT_FALSE(overlay.SkylightWindows()[0]->Shown());
}

TEST_F(Overlay, DisplayChangeRefitsSkylightsAndSaves) {
    state.skylights = {{{5000, 5000, 5400, 5300}, SkylightShape::Rounded, 100, true}};
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    EXPECT_EQ(state.skylights[0].bounds, (Rect{1520, 780, 1920, 1080})) << "fitted at creation";
    state.skylights[0].bounds = {-3000, 10, -2600, 310};
    SendMessageW(overlay.Window(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_EQ(state.skylights[0].bounds, (Rect{0, 10, 400, 310}));
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.skylights, state.skylights);
}

TEST_F(Overlay, TwoFailedSavesShowOneBoxOutsideTheSavingCall) {
    fs::create_directories(SettingsPath().string() + ".tmp");  // every save now fails
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    EXPECT_EQ(FindOwnWindow(L"#32770", nullptr), nullptr) << "the box waits for the message loop";

    std::atomic<int> boxes{0};
    std::atomic<bool> done{false};
    std::wstring text;
    std::thread answer([&] {
        HWND last = nullptr;
        while (!done) {
            HWND box = FindOwnWindow(L"#32770", L"Lumenfold · 信息 / Information");
            if (box && box != last && IsWindowVisible(box)) {
                wchar_t buffer[512] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 512);
                text = buffer;
                ++boxes;
                last = box;
                PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(20);
        }
    });
    Pump(1500);
    overlay.SetBackgroundBrightness(10);
    overlay.SetBackgroundBrightness(20);
    Pump(1500);
    done = true;
    answer.join();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text.rfind(L"未能保存天窗设置，现有数据未删除。 / Could not save skylight settings; existing data is retained.", 0), 0u)
        << std::string(text.begin(), text.end());
    EXPECT_EQ(state.backgroundBrightness, 20) << "the state is kept when saving fails";
}

}  // namespace
