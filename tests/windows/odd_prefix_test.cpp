// Runs in a prefix at 144 DPI whose local application data folder points to a folder that does not
// exist: the interface font's size, and nothing written anywhere.
#include "common/activity_log.h"
#include "common/shell_services.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

TEST(InterfaceFont, NinePointsAt144DpiAre18PixelsHigh) {
    UniqueWindow window = TestWindow({0, 0, 100, 100});
    ASSERT_EQ(GetDpiForWindow(window.get()), 144u);
    UniqueFont font = InterfaceFont(window.get(), 9, FW_NORMAL);
    WindowDC dc(window.get());
    SelectedObject selected(dc.get(), font.get());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(dc.get(), &metrics));
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 18);
}

TEST(DataFolderUnresolved, NothingIsWrittenAnywhereAndSettingsNeitherLoadNorSave) {
    EXPECT_EQ(DataFolder(), L"");
    LogActivity("overlay hidden");
    AppState state;
    EXPECT_FALSE(LoadSettings(state)) << "no defaults without a place for the user's file";
    EXPECT_FALSE(SaveSettings(state));
    for (const wchar_t* path : {L"\\Lumenfold", L"C:\\Lumenfold", L"C:\\nowhere"})
        EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES) << "something was written";
}

}  // namespace
