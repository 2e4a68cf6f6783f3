#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cleanup/version_rules.h"
#include "common/geometry.h"
#include "common/log_line.h"
#include "common/outside_input.h"

namespace {

const Rect kMonitor{0, 0, 1920, 1080};

TEST(Geometry, FitOnMonitorNoOverflowCentreHalvesTheSizeUnreadableMonitorFallsBack) {
    EXPECT_EQ(FitOnMonitor({1770, 100, 1970, 300}, kMonitor), (Rect{1720, 100, 1920, 300}));
    EXPECT_EQ(FitOnMonitor({-30, -40, 370, 260}, kMonitor), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(FitOnMonitor({0, 0, 50, 5}, Rect{0, 0, 150, 15}), (Rect{0, 0, 150, 15})) << "the minimum gives way";
    EXPECT_EQ(FitOnMonitor({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kMonitor), kMonitor);
    EXPECT_EQ(FitOnMonitor({INT32_MAX - 10, INT32_MAX - 10, INT32_MAX, INT32_MAX}, kMonitor),
              (Rect{1720, 1060, 1920, 1080}));
    // An inverted rectangle counts as too small (at least 200 x 20), not as a negative size.
    EXPECT_EQ(FitOnMonitor({500, 500, 100, 100}, kMonitor), (Rect{500, 500, 700, 520}));
    EXPECT_EQ(Centre({-3, -3, 0, 0}), (Point{-2, -2}));
    EXPECT_EQ(Centre({2000000000, 2000000000, 2100000000, 2100000000}), (Point{2050000000, 2050000000}));
    // An unreadable monitor falls back to the virtual screen.
    const Rect virtualScreen{-1024, 0, 1920, 1080};
    EXPECT_EQ(MonitorOrVirtualScreen(Rect{}, virtualScreen), virtualScreen);
    EXPECT_EQ(MonitorOrVirtualScreen({0, 0, 1920, 0}, virtualScreen), virtualScreen);
    EXPECT_EQ(MonitorOrVirtualScreen(kMonitor, virtualScreen), kMonitor);
}

TEST(Text, LogLineNumbersWithoutLeadingZerosAndIllFormedUtf8Replaced) {
    EXPECT_EQ(LogLine({2026, 2, 1, 9, 5, 0}, "overlay hidden"), "2026-2-1 9:5:0 UTC overlay hidden\n");
    const std::string bytes("\xe4\xbf\xa1 a\0b", 6);
    EXPECT_EQ(LogLine({2026, 12, 31, 23, 59, 59}, bytes), "2026-12-31 23:59:59 UTC " + bytes + "\n");
    const std::string kept = "广告 é 😀 \x7F";
    EXPECT_EQ(LenientUtf8(kept), kept);
    EXPECT_EQ(LenientUtf8("a\xFF" "b\xE5\xB9"), "a\uFFFD" "b\uFFFD\uFFFD");
    // An overlong "/", a surrogate, a code point beyond U+10FFFF.
    EXPECT_EQ(LenientUtf8("\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80"),
              "\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD\uFFFD");
}

// Of the old-version rules only what the end-to-end review list does not show.
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
