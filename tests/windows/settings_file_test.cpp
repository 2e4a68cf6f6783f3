// The settings file on a real (Wine) file system: what loads, what stops the start, and saves that
// either replace the file whole or leave it alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/data_folder.h"
#include "common/handles.h"
#include "state/settings_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(Path());
        fs::remove_all(Temp());
    }
    void TearDown() override { SetUp(); }

    static fs::path Path() { return fs::path(DataFolder()) / "settings.json"; }
    static fs::path Temp() { return fs::path(DataFolder()) / "settings.json.tmp"; }
    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    static void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    static AppState Sample() {
        AppState state;
        state.backgroundBrightness = 35;
        state.textScale = 125;
        state.skylights.push_back({{-900, 100, -500, 400}, SkylightShape::Circle, 60, true});
        state.skylights.push_back({{10, 20, 410, 220}, SkylightShape::Rectangle, 100, false});
        return state;
    }
};

constexpr char kValid[] = R"({"version": 1, "skylights": [{"bounds": [1, 2, 301, 202]}]})";

TEST_F(SettingsFile, MissingFileKeepsDefaults) {
    AppState state;
    state.textScale = 150;  // proves the state is left alone
    EXPECT_TRUE(LoadSettings(state));
    EXPECT_EQ(state.textScale, 150);
    EXPECT_TRUE(state.skylights.empty());
}

TEST_F(SettingsFile, SaveThenLoadRoundTripsAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(SaveSettings(Sample()));
    EXPECT_FALSE(fs::exists(Temp()));
    const std::string first = Read(Path());
    EXPECT_EQ(first.find('\r'), std::string::npos);
    EXPECT_NE(first.back(), '\n');
    AppState loaded;
    ASSERT_TRUE(LoadSettings(loaded));
    EXPECT_EQ(loaded.skylights, Sample().skylights);
    EXPECT_EQ(loaded.backgroundBrightness, 35);
    EXPECT_EQ(loaded.textScale, 125);
    EXPECT_EQ(loaded.mode, OverlayMode::Skylights);
    ASSERT_TRUE(SaveSettings(loaded));
    EXPECT_EQ(Read(Path()), first) << "an unchanged state saves byte-identically";
}

TEST_F(SettingsFile, UnacceptableFilesStopTheLoadAndStayUntouched) {
    const std::string cases[] = {
        "",                                                  // 0 bytes
        "\xEF\xBB\xBF" + std::string(kValid),                // byte order mark
        R"({"version": 2, "skylights": []})",
        R"({"version": 1, "skylights": [{"bounds": [10, 10, 10, 50]}]})",
        "{ not json",
    };
    for (const std::string& bytes : cases) {
        Write(Path(), bytes);
        AppState state;
        EXPECT_FALSE(LoadSettings(state)) << bytes;
        EXPECT_TRUE(state.skylights.empty());
        EXPECT_EQ(Read(Path()), bytes);
    }
}

TEST_F(SettingsFile, OversizedFileIsRefusedUnread) {
    std::string bytes = kValid;
    bytes.resize(16 * 1024 * 1024 + 1, ' ');  // still valid JSON, just too large
    Write(Path(), bytes);
    AppState state;
    EXPECT_FALSE(LoadSettings(state));
    EXPECT_EQ(fs::file_size(Path()), bytes.size());
}

// Opens a file as another program would, with its access and sharing.
UniqueFile Hold(const fs::path& file, DWORD access, DWORD share) {
    return UniqueFile(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(SettingsFile, LoadsWhileAnotherProgramHasItOpenForWriting) {
    Write(Path(), kValid);
    const struct {
        const char* who;
        DWORD access;
        DWORD share;
    } holders[] = {
        {"an editor", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ},
        {"a sync program", GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    for (const auto& holder : holders) {
        UniqueFile held = Hold(Path(), holder.access, holder.share);
        ASSERT_TRUE(held) << holder.who;
        AppState state;
        EXPECT_TRUE(LoadSettings(state)) << holder.who;
        EXPECT_EQ(state.skylights.size(), 1u) << holder.who;
    }
}

TEST_F(SettingsFile, FileThatCannotBeOpenedStopsTheLoad) {
    Write(Path(), kValid);
    {
        UniqueFile held = Hold(Path(), GENERIC_READ, 0);  // shared with nobody
        ASSERT_TRUE(held);
        AppState state;
        EXPECT_FALSE(LoadSettings(state)) << "a locked file must not count as missing";
    }
    fs::remove(Path());
    fs::create_directory(Path());
    AppState state;
    EXPECT_FALSE(LoadSettings(state)) << "a folder of that name";
}

TEST_F(SettingsFile, TemporaryFileHeldByAnotherProcessFailsTheSave) {
    Write(Path(), kValid);
    const std::string held = RunProbe(L"hold-file \"" + Temp().wstring() + L"\" 3000", "held");
    ASSERT_NE(held.find("held"), std::string::npos) << held;
    EXPECT_FALSE(SaveSettings(Sample()));
    EXPECT_EQ(Read(Path()), kValid);
    EXPECT_TRUE(WaitFor([] { return SaveSettings(AppState{}); }, 15000));
}

TEST_F(SettingsFile, DirectoryInPlaceOfTheTemporaryFileFailsTheSave) {
    Write(Path(), kValid);
    fs::create_directory(Temp());
    EXPECT_FALSE(SaveSettings(Sample()));
    EXPECT_EQ(Read(Path()), kValid);
}

}  // namespace
