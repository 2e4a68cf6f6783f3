// The settings file held by other programs, and a real overlay: Esc, closing skylights, failed saves.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/handles.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

constexpr char kValid[] = R"({"version": 1, "skylights": [{"bounds": [1, 2, 301, 202]}]})";

// Opens a file as another program would, with its access and sharing.
UniqueFile Hold(const std::filesystem::path& file, DWORD access, DWORD share) {
    return UniqueFile(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, 0, nullptr));
}

TEST(SettingsFile, LoadsWhileHeldForWritingStopsWhenLockedAndASaveThatCannotWriteLeavesIt) {
    RemoveSettingsFiles();
    const std::filesystem::path path = DataFile("settings.json");
    WriteBytes(path, kValid);
    AppState state;
    {
        UniqueFile held = Hold(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ);  // an editor, a sync
        EXPECT_TRUE(held && LoadSettings(state) && state.skylights.size() == 1);
    }
    {
        UniqueFile held = Hold(path, GENERIC_READ, 0);  // shared with nobody
        EXPECT_TRUE(held && !LoadSettings(state)) << "a locked file must not count as missing";
    }
    UniqueFile held = Hold(DataFile("settings.json.tmp"), GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_TRUE(held && !SaveSettings(state));
    EXPECT_EQ(ReadBytes(path), kValid);
    held.reset();
    RemoveSettingsFiles();
}

using Overlay = WithOverlay;

TEST_F(Overlay, EscapeHotKeyIsHeldOnlyWhileShown) {
    ASSERT_TRUE(Create());
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE));
    overlay.ExitLikeEscape();
    EXPECT_TRUE(RegisterHotKey(nullptr, 77, MOD_NOREPEAT, VK_ESCAPE)) << "other programs get Esc back";
    UnregisterHotKey(nullptr, 77);
}

// That the closed skylight's hole closes and the list is saved is seen end to end.
TEST_F(Overlay, ClosingTheFirstOfThreeSkylightsRenumbersTheRest) {
    state.skylights = {{{100, 100, 300, 200}, SkylightShape::Rectangle, 100, true},
                       {{400, 100, 600, 200}, SkylightShape::Elliptical, 100, true},
                       {{700, 100, 900, 200}, SkylightShape::Circle, 100, true}};
    ASSERT_TRUE(Create());
    PostMessageW(overlay.Window(), CloseSkylightMessage, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return state.skylights.size() == 2; }));
    overlay.CloseRegion(7);  // a stale request
    ASSERT_EQ(state.skylights.size(), 2u);
    EXPECT_EQ(state.skylights[0].bounds.left, 400);
    ASSERT_EQ(overlay.SkylightWindows().size(), 2u);
    EXPECT_EQ(overlay.SkylightWindows()[0]->Index(), 0u);
    EXPECT_EQ(overlay.SkylightWindows()[1]->Index(), 1u);
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

}  // namespace
