// Runs in a prefix whose local application data folder points to a folder that does not exist.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/activity_log.h"
#include "common/data_folder.h"
#include "state/settings_file.h"

namespace {

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
