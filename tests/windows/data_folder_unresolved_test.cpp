// Runs in a prefix whose local application data folder points to a folder that does not exist.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/activity_log.h"
#include "common/data_folder.h"

namespace {

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

TEST(DataFolderUnresolved, IsEmptyAndNothingIsWrittenAnywhere) {
    EXPECT_EQ(DataFolder(), L"");
    LogActivity("overlay hidden");
    EXPECT_FALSE(Exists(L"\\Lumenfold"));
    EXPECT_FALSE(Exists(L"C:\\Lumenfold"));
    EXPECT_FALSE(Exists(L"C:\\nowhere"));
}

}  // namespace

#include "state/settings_file.h"

namespace {

TEST(DataFolderUnresolved, SettingsNeitherLoadNorSave) {
    AppState state;
    EXPECT_FALSE(LoadSettings(state)) << "no defaults without a place for the user's file";
    EXPECT_FALSE(SaveSettings(state));
}

}  // namespace
