// The common services on Windows: text conversion, the activity log, the clipboard, the error box
// and the handle counter.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "common/activity_log.h"
#include "common/clipboard.h"
#include "common/handles.h"
#include "common/shell_services.h"
#include "common/text.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(TextConversion, InvalidInputIsReplacedOrRefusedWhole) {
    EXPECT_EQ(Wide(Utf8(L"退出遮罩 \U0001F600")), L"退出遮罩 \U0001F600");
    EXPECT_EQ(Utf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xef\xbf\xbd" "b");
    EXPECT_EQ(Wide("ok \xc0\xaf"), L"") << "an overlong '/' must not come through as anything";
}

class ActivityLog : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(path);
        fs::remove(previous);
    }
    const fs::path path = DataFile("activity.log");
    const fs::path previous = DataFile("activity.log.previous");
};

TEST_F(ActivityLog, RotatesOnlyAboveOneMebibyte) {
    const std::string filler(1048576, 'x');
    WriteBytes(path, filler);
    WriteBytes(previous, "old generation");
    LogActivity("one");
    const std::string grown = ReadBytes(path);
    EXPECT_EQ(grown.compare(0, filler.size(), filler), 0) << "a file of exactly 1 MiB is appended to";
    EXPECT_EQ(ReadBytes(previous), "old generation");

    LogActivity("two");
    EXPECT_TRUE(ReadBytes(previous) == grown) << "the grown file replaced the older generation";
    const std::string current = ReadBytes(path);
    EXPECT_TRUE(std::regex_match(current, std::regex(R"(\d+-\d+-\d+ \d+:\d+:\d+ UTC two\r\n)"))) << current;
}

TEST_F(ActivityLog, TwoThreadsNeverInterleaveOrRotateTwice) {
    // Just below the limit, so one rotation falls in the middle of the burst.
    WriteBytes(path, std::string(1048576 - 2000, 'x') + "\r\n");
    auto writer = [](char name) {
        for (int i = 0; i < 300; ++i) LogActivity(name + std::string(" line ") + std::to_string(i));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();

    const std::string older = ReadBytes(previous);
    ASSERT_EQ(older.compare(0, 1000, std::string(1000, 'x')), 0) << "the first generation was rotated away twice";
    std::istringstream lines(older.substr(older.find('\n') + 1) + ReadBytes(path));
    const std::regex line(R"(\d+-\d+-\d+ \d+:\d+:\d+ UTC [ab] line \d+\r)");
    int count = 0;
    for (std::string entry; std::getline(lines, entry); ++count)
        ASSERT_TRUE(std::regex_match(entry, line)) << "mangled line: " << entry.substr(0, 120);
    EXPECT_EQ(count, 600) << "lines were lost";
}

std::string ClipboardFromAnotherProcess() {
    const std::string out = RunProbe(L"clipboard-get");
    return out.substr(0, out.find_last_not_of("\r\n") + 1);  // as JSON
}

// The process whose window owned the clipboard when a copy arrived, as a clipboard viewer sees it.
DWORD copyOwnerProcess = 0;

LRESULT CALLBACK ClipboardViewer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWCLIPBOARD) GetWindowThreadProcessId(GetClipboardOwner(), &copyOwnerProcess);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Clipboard, CopyWithoutAnOwnerWindowGivesTheClipboardAnOwner) {
    UniqueWindow viewer = TestWindow({0, 0, 10, 10});
    SetWindowLongPtrW(viewer.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClipboardViewer));
    const HWND next = SetClipboardViewer(viewer.get());
    copyOwnerProcess = 0;
    const bool copied = CopyText(nullptr, L"skylight 信 copied");
    ChangeClipboardChain(viewer.get(), next);
    ASSERT_TRUE(copied);
    // Windows refuses SetClipboardData on a clipboard nobody owns; Wine takes the text anyway.
    EXPECT_EQ(copyOwnerProcess, GetCurrentProcessId()) << "the clipboard had no owner of ours";
    EXPECT_EQ(ClipboardFromAnotherProcess(), "\"skylight 信 copied\"");
}

TEST(Clipboard, CopyFailsWhileAnotherProcessHoldsItAndKeepsOldContents) {
    const std::string held = RunProbe(L"clipboard-hold 3000 \"older text\"", "held");
    ASSERT_NE(held.find("held"), std::string::npos) << held;
    EXPECT_FALSE(CopyText(nullptr, L"new text"));
    // The probe reads the clipboard once the holder let go of it.
    EXPECT_TRUE(WaitFor([] { return ClipboardFromAnotherProcess() == "\"older text\""; }, 15000));
}

TEST(CopyableError, OkCopiesTheMessageAloneCancelCopiesNothing) {
    std::wstring shown;
    AnswerBoxesDuring(IDOK, [] { CopyableError(nullptr, L"Cannot read saved settings."); }, &shown);
    EXPECT_EQ(shown, L"Cannot read saved settings.\n\n点击确定复制完整信息。 / OK copies this information.");
    EXPECT_EQ(ClipboardFromAnotherProcess(), "\"Cannot read saved settings.\"");
    EXPECT_EQ(AnswerBoxesDuring(IDCANCEL, [] { CopyableError(nullptr, L"Save failed."); }), 1);
    EXPECT_EQ(ClipboardFromAnotherProcess(), "\"Cannot read saved settings.\"") << "Cancel copied";
}

TEST(Handles, CounterReturnsToStartAndObjectsAreGone) {
    const long start = LiveHandleCount();
    HGDIOBJ font = nullptr;
    {
        UniqueWindow window = TestWindow({0, 0, 100, 100});
        UniqueFont interfaceFont = InterfaceFont(window.get(), 9, FW_NORMAL);
        UniqueRegion region(CreateRectRgn(0, 0, 50, 50));
        ASSERT_NE(SetWindowRgn(window.get(), region.get(), FALSE), 0);
        region.release();  // the window owns it now
        UniqueFont moved = std::move(interfaceFont);
        EXPECT_EQ(LiveHandleCount(), start + 2);
        font = moved.get();
    }
    EXPECT_EQ(LiveHandleCount(), start);
    EXPECT_EQ(GetObjectType(font), 0u) << "the font outlived its owner";
}

}  // namespace
