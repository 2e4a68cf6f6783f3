// The settings file on the file system: who may hold it open while it is read, and a save that
// cannot write leaving the old file alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/handles.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kValid[] = R"({"version": 1, "skylights": [{"bounds": [1, 2, 301, 202]}]})";

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettingsFiles();
        WriteBytes(path, kValid);
    }
    void TearDown() override { RemoveSettingsFiles(); }
    const fs::path path = DataFile("settings.json");
};

// Opens a file as another program would, with its access and sharing.
UniqueFile Hold(const fs::path& file, DWORD access, DWORD share) {
    return UniqueFile(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(SettingsFile, LoadsWhileAnotherProgramHasItOpenForWritingOrRenaming) {
    UniqueFile held = Hold(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ);  // an editor, a sync
    ASSERT_TRUE(held);
    AppState state;
    EXPECT_TRUE(LoadSettings(state));
    EXPECT_EQ(state.skylights.size(), 1u);
}

TEST_F(SettingsFile, FileThatCannotBeOpenedStopsTheLoad) {
    {
        UniqueFile held = Hold(path, GENERIC_READ, 0);  // shared with nobody
        ASSERT_TRUE(held);
        AppState state;
        EXPECT_FALSE(LoadSettings(state)) << "a locked file must not count as missing";
    }
    fs::remove(path);
    fs::create_directory(path);
    AppState state;
    EXPECT_FALSE(LoadSettings(state)) << "a folder of that name";
}

TEST_F(SettingsFile, SaveThatCannotWriteLeavesTheOldFile) {
    UniqueFile held = Hold(DataFile("settings.json.tmp"), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(held);
    EXPECT_FALSE(SaveSettings(AppState{}));
    EXPECT_EQ(ReadBytes(path), kValid);
}

}  // namespace
