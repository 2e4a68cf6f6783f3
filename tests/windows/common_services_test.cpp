// Text conversion, the activity log, the clipboard and the handle counter on Windows.
#include <regex>
#include <sstream>

#include "common/activity_log.h"
#include "common/clipboard.h"
#include "common/shell_services.h"
#include "common/text.h"
#include "test_support.h"

namespace {

TEST(TextConversion, InvalidInputIsReplacedOrRefusedWhole) {
    EXPECT_EQ(Wide(Utf8(L"退出遮罩 \U0001F600")), L"退出遮罩 \U0001F600");
    EXPECT_EQ(Utf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xef\xbf\xbd" "b");
    EXPECT_EQ(Wide("ok \xc0\xaf"), L"") << "an overlong '/' came through";
}

TEST(ActivityLog, RotatesOnceOnlyAboveOneMebibyteAndKeepsLinesWhole) {
    const auto path = DataFile("activity.log"), previous = DataFile("activity.log.previous");
    const std::string filler(1048576, 'x');
    WriteBytes(path, filler);
    WriteBytes(previous, "old generation");
    LogActivity("one");
    EXPECT_TRUE(ReadBytes(previous) == "old generation") << "a file of exactly 1 MiB is appended to";

    // Just below the limit, so one rotation falls in the middle of two threads' burst.
    WriteBytes(path, filler.substr(2000) + "\r\n");
    auto writer = [](char name) {
        for (int i = 0; i < 300; ++i) LogActivity(name + std::string(" line ") + std::to_string(i));
    };
    { std::jthread a(writer, 'a'), b(writer, 'b'); }  // both join here
    const std::string older = ReadBytes(previous);
    ASSERT_EQ(older.compare(0, 1000, filler, 0, 1000), 0) << "not rotated over the older generation, or twice";
    std::istringstream lines(older.substr(older.find('\n') + 1) + ReadBytes(path));
    const std::regex line(R"(\d+-\d+-\d+ \d+:\d+:\d+ UTC [ab] line \d+\r)");
    int count = 0;
    for (std::string entry; std::getline(lines, entry); ++count)
        ASSERT_TRUE(std::regex_match(entry, line)) << entry.substr(0, 120);
    EXPECT_EQ(count, 600);
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
    const bool copied = CopyText(nullptr, L"skylight 信 copied");
    ChangeClipboardChain(viewer.get(), next);
    ASSERT_TRUE(copied);
    // Windows refuses SetClipboardData on a clipboard nobody owns; Wine takes the text anyway.
    EXPECT_EQ(copyOwnerProcess, GetCurrentProcessId());
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
