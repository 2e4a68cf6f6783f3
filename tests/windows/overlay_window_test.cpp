// A real overlay window in this process: its Esc hot key, closing skylights, the background
// brightness and the save-failure box.
#include <windows.h>

#include <gtest/gtest.h>

#include "overlay/overlay_window.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class Overlay : public ::testing::Test {
protected:
    void SetUp() override { RemoveSettingsFiles(); }
    void TearDown() override { RemoveSettingsFiles(); }
    AppState state;
    OverlayWindow overlay;
};

TEST_F(Overlay, EscapeHotKeyIsHeldOnlyWhileShown) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE)) << "Esc is the overlay's while it shows";
    overlay.ExitLikeEscape();
    EXPECT_TRUE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE)) << "other programs get Esc back";
    UnregisterHotKey(nullptr, 77);
}

TEST_F(Overlay, ClosingTheFirstOfThreeSkylightsRenumbersTheRest) {
    state.skylights = {{{100, 100, 300, 200}, SkylightShape::Rectangle, 100, true},
                       {{400, 100, 600, 200}, SkylightShape::Elliptical, 100, true},
                       {{700, 100, 900, 200}, SkylightShape::Circle, 100, true}};
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    PostMessageW(overlay.Window(), CloseSkylightMessage, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return state.skylights.size() == 2; }));
    overlay.CloseRegion(7);  // a stale request
    ASSERT_EQ(state.skylights.size(), 2u);
    EXPECT_EQ(state.skylights[0].bounds.left, 400);
    ASSERT_EQ(overlay.SkylightWindows().size(), 2u);
    EXPECT_EQ(overlay.SkylightWindows()[0]->Index(), 0u);
    EXPECT_EQ(overlay.SkylightWindows()[1]->Index(), 1u);
    EXPECT_FALSE(InHole(overlay.Window(), 150, 150)) << "the closed skylight's hole stayed open";
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.skylights, state.skylights);
}

TEST_F(Overlay, FullBackgroundBrightnessKeepsTheOverlayThereAndIsSaved) {
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));
    overlay.SetBackgroundBrightness(250);
    EXPECT_EQ(Alpha(overlay.Window()), 1);
    AppState saved;
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.backgroundBrightness, 100);
}

// Each box is shown from a posted message: let the thread handle every private message queued.
bool NoPrivateMessageLeft() {
    MSG message;
    return !PeekMessageW(&message, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE);
}

TEST_F(Overlay, FailedSavesShowOneBoxAfterTheSavingCalls) {
    fs::create_directories(DataFile("settings.json.tmp"));  // every save now fails
    EXPECT_EQ(AnswerBoxesDuring(IDCANCEL, [&] {
        ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), &state));  // saves the default skylight
        overlay.SetBackgroundBrightness(10);
    }), 0) << "a box inside the saving call";
    std::wstring shown;
    EXPECT_EQ(AnswerBoxesDuring(IDCANCEL, [&] {
        WaitFor(NoPrivateMessageLeft);
        overlay.SetBackgroundBrightness(20);
        WaitFor(NoPrivateMessageLeft);
    }, &shown), 1);
    EXPECT_EQ(shown.rfind(L"未能保存天窗设置，现有数据未删除。 / Could not save skylight settings; existing data is retained.", 0), 0u);
    EXPECT_EQ(state.backgroundBrightness, 20) << "the state is kept when saving fails";
}

}  // namespace
