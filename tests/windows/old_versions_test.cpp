// The old-version search: which copies on the Desktop and in Downloads are found, and their versions.
#include <windows.h>
#include <knownfolders.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cleanup/old_versions.h"
#include "common/shell_services.h"

namespace fs = std::filesystem;
using testing::UnorderedElementsAre;

namespace {

constexpr uint64_t kOwnVersion = 0x000300000000004F;  // 3.0.0.79

// The other copies are built next to this test.
std::wstring Built(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / name).wstring();
}

// Each case lays its files out in a folder of its own on the Desktop.
std::wstring Place(const wchar_t* exe, const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::copy_file(Built(exe), path);
    return path.wstring();
}

// Running copies are left out end to end, where the review lists them.
TEST(FindCandidates, OlderCopiesWithinTwoLevelsEachOnceNoneInstalled) {
    // Downloads inside the Desktop: the same files are reached through both roots.
    const fs::path desktop = fs::path(KnownFolderPath(FOLDERID_Desktop)) / "list", inner = desktop / "Downloads";
    const std::wstring older = Place(L"copy_2_9.exe", desktop / "Lumenfold-2.9.exe");
    const std::wstring notes = Place(L"MyLumenfoldNotes.exe", inner / "MyLumenfoldNotes.exe");
    const std::wstring deep = Place(L"copy_2_9.exe", inner / "a" / "b" / "Lumenfold.exe");
    Place(L"copy_2_9.exe", inner / "a" / "b" / "c" / "Lumenfold.exe");
    Place(L"copy_3_0.exe", desktop / "Lumenfold.exe");
    Place(L"copy_3_1.exe", desktop / "Lumenfold-3.1.exe");
    Place(L"copy_installer.exe", desktop / "LumenfoldSetup.exe");
    Place(L"copy_2_9.exe", desktop / "Installed" / "bin" / "Lumenfold.exe");
    Place(L"copy_2_9.exe", desktop / "Installed" / "Lumenfold.exe");
    std::ofstream(desktop / "Installed" / "Uninstall Lumenfold.exe").put('x');
    std::ofstream(desktop / "Lumenfold-notes.exe") << "no program";

    // Versions as read from each file's resource, the text without the revision, and the file itself.
    FileIdentity olderFile, deepFile, notesFile;
    ASSERT_TRUE(ReadIdentity(older, olderFile) && ReadIdentity(deep, deepFile) && ReadIdentity(notes, notesFile));
    const Candidate listedOlder{older, 0x0002000900000005, L"2.9.0", olderFile},
        listedDeep{deep, 0x0002000900000005, L"2.9.0", deepFile},
        listedNotes{notes, 0x0002000A012C0FA0, L"2.10.300", notesFile};
    const Findings found = FindCandidates({desktop.wstring(), inner.wstring()}, kOwnVersion, {});
    EXPECT_THAT(found.candidates, UnorderedElementsAre(listedOlder, listedNotes, listedDeep));
    EXPECT_FALSE(found.budgetExhausted);
}

TEST(FindCandidates, BudgetSpentUnderTheDesktopLeavesDownloadsUnexamined) {
    const fs::path desktop = fs::path(KnownFolderPath(FOLDERID_Desktop)) / "budget";
    const fs::path downloads = KnownFolderPath(FOLDERID_Downloads);
    // 120 folders of 100 notes: Wine looks through a whole folder for every file it creates.
    for (int i = 0; i < 12000; ++i) {
        if (i % 100 == 0) fs::create_directories(desktop / std::to_string(i / 100));
        std::ofstream(desktop / std::to_string(i / 100) / std::to_string(i));
    }
    Place(L"copy_2_9.exe", downloads / "Lumenfold.exe");
    const Findings found = FindCandidates({desktop.wstring(), downloads.wstring()}, kOwnVersion, {});
    EXPECT_TRUE(found.candidates.empty());
    EXPECT_TRUE(found.budgetExhausted);
}

}  // namespace
