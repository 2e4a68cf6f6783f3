// Only what the end-to-end review list does not show.
#include <gtest/gtest.h>

#include <vector>

#include "cleanup/version_rules.h"

namespace {

TEST(VersionRules, VersionNamesOrderAndScanLimitNote) {
    const Version top = VersionFromFixed(0xFFFEFFFD, 0xFFFC0001);
    EXPECT_EQ(top.value, 0xFFFEFFFDFFFC0001u);
    EXPECT_EQ(top.text, L"65534.65533.65532");
    EXPECT_TRUE(IsExaminedName(L"LUMENFOLD.EXE"));
    EXPECT_TRUE(IsExaminedName(L"MyLumenfoldNotes.exe"));
    EXPECT_FALSE(IsExaminedName(L"Lumenfold.exe.lnk"));
    EXPECT_FALSE(IsExaminedName(L"Lumen fold.exe"));
    std::vector<Candidate> list = {{L"C:\\D\\Lumenfold_b.exe", 1, L"", {}}, {L"C:\\D\\LumenfoldB.exe", 2, L"", {}},
                                   {L"C:\\D\\Lumenfold.exe.exe", 3, L"", {}}, {L"C:\\D\\Lumenfold.exe", 4, L"", {}},
                                   {L"c:\\d\\LUMENFOLD.EXE", 4, L"", {}}};
    SortAndDeduplicate(list);
    // '.' < '_' < 'b', where an upper-case 'B' would come before '_'.
    EXPECT_EQ(list, (std::vector<Candidate>{{L"C:\\D\\Lumenfold.exe", 4, L"", {}},
                                            {L"C:\\D\\Lumenfold.exe.exe", 3, L"", {}},
                                            {L"C:\\D\\Lumenfold_b.exe", 1, L"", {}},
                                            {L"C:\\D\\LumenfoldB.exe", 2, L"", {}}}));
    EXPECT_TRUE(ReviewContent(L"3.0.0", true, {})
                    .ends_with(L"user data are preserved.\n\n达到检查上限，部分目录未检查。\nScan limit reached; some "
                               L"folders were not checked.\n\n未发现可清理的旧版便携程序。\nNo older portable copies found."));
    // The bin could not take the file and the user let the shell delete it for good.
    EXPECT_EQ(ReportLine(RecycleOutcome(true, false, false), L"x"), L"已永久删除 / Deleted permanently: x\n");
}

}  // namespace
