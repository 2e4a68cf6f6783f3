#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "common/activity_log.h"
#include "common/clipboard.h"
#include "common/data_folder.h"
#include "common/handles.h"
#include "common/shell_services.h"
#include "common/text.h"
#include "test_support.h"

namespace {

// ---- text conversion ------------------------------------------------------------------------

TEST(TextConversion, RoundTrips) {
    const std::wstring samples[] = {L"overlay hidden", L"退出遮罩 / Hide overlay (Esc)", L"\U0001F600 emoji", L"a\0b"};
    for (const auto& sample : samples) EXPECT_EQ(Wide(Utf8(sample)), sample);
    EXPECT_EQ(Utf8(L"é"), "\xc3\xa9");
    EXPECT_EQ(Wide("\xe4\xbf\xa1"), L"信");
    EXPECT_EQ(Utf8(L""), "");
    EXPECT_EQ(Wide(""), L"");
}

TEST(TextConversion, LoneSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(Utf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xef\xbf\xbd" "b");
    EXPECT_EQ(Utf8(std::wstring(1, wchar_t(0xDC00))), "\xef\xbf\xbd");
}

TEST(TextConversion, InvalidUtf8IsRejectedWhole) {
    const char* invalid[] = {
        "abc\xc0\xaf",          // overlong '/'
        "\xe0\x80\xaf",         // overlong, three bytes
        "\xed\xa0\x80 x",       // encoded surrogate
        "\xf4\x90\x80\x80",     // above U+10FFFF
        "ok \xe4\xbf",          // truncated tail
        "\xff",                 // never valid
        "\x80 lone continuation",
    };
    for (const char* text : invalid) EXPECT_EQ(Wide(text), L"") << text;
}

// ---- data folder and activity log -----------------------------------------------------------

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

TEST(DataFolder, IsLumenfoldInLocalAppDataAndExists) {
    const std::wstring folder = DataFolder();
    EXPECT_EQ(folder, EnvironmentValue(L"LOCALAPPDATA") + L"\\Lumenfold");
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class ActivityLog : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(Path().c_str());
        DeleteFileW(Previous().c_str());
    }
    static std::wstring Path() { return DataFolder() + L"\\activity.log"; }
    static std::wstring Previous() { return Path() + L".previous"; }
    static std::string Read(const std::wstring& path) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void Write(const std::wstring& path, const std::string& bytes) {
        std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(ActivityLog, LineHasUtcPrefixAndCrLf) {
    LogActivity("overlay hidden");
    const std::string text = Read(Path());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"([1-9]\d{3}-[1-9]\d?-[1-9]\d? (0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?) UTC overlay hidden\r\n)")))
        << text;
}

TEST_F(ActivityLog, RotatesOnlyAboveOneMebibyte) {
    const std::string filler(1048576, 'x');
    Write(Path(), filler);
    Write(Previous(), "old generation");
    LogActivity("one");
    std::string current = Read(Path());
    EXPECT_EQ(current.substr(0, filler.size()), filler) << "a file of exactly 1 MiB is appended to";
    EXPECT_EQ(Read(Previous()), "old generation");

    LogActivity("two");
    const std::string previous = Read(Previous());
    EXPECT_EQ(previous, current) << "the grown file replaced the older generation";
    current = Read(Path());
    EXPECT_EQ(current.find(" UTC two\r\n"), current.size() - 10);
    EXPECT_EQ(current.find('\n'), current.size() - 1) << "the new file holds only the newest line";
}

TEST_F(ActivityLog, TwoThreadsNeverInterleaveOrRotateTwice) {
    // Just below the limit, so one rotation falls in the middle of the burst.
    Write(Path(), std::string(1048576 - 2000, 'x') + "\r\n");
    constexpr int kLines = 300;
    auto writer = [](char name) {
        for (int i = 0; i < kLines; ++i) LogActivity(std::string(1, name) + " line " + std::to_string(i));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();

    const std::string previous = Read(Previous());
    ASSERT_EQ(previous.compare(0, 1000, std::string(1000, 'x')), 0) << "the first generation was rotated away twice";
    std::set<std::string> seen;
    const std::regex line(R"(\d+-\d+-\d+ \d+:\d+:\d+ UTC ([ab] line \d+)\r)");
    for (const std::string& text : {previous, Read(Path())}) {
        std::istringstream lines(text);
        for (std::string entry; std::getline(lines, entry);) {
            if (entry.find_first_not_of("x\r") == std::string::npos) continue;  // the filler
            std::smatch match;
            ASSERT_TRUE(std::regex_match(entry, match, line)) << "mangled line: " << entry.substr(0, 120);
            EXPECT_TRUE(seen.insert(match[1]).second) << "duplicate " << match[1];
        }
    }
    EXPECT_EQ(seen.size(), 2u * kLines);
}

// ---- clipboard and the error box -----------------------------------------------------------

std::string ClipboardFromAnotherProcess() {
    std::string out = RunProbe(L"clipboard-get");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
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

TEST(Clipboard, CopyTextFailsWhileAnotherProcessHoldsItAndKeepsOldContents) {
    std::string held = RunProbe(L"clipboard-hold 3000 \"older text\"", "held");
    ASSERT_NE(held.find("held"), std::string::npos) << held;
    EXPECT_FALSE(CopyText(nullptr, L"new text"));
    ASSERT_TRUE(WaitFor([] { return ClipboardFromAnotherProcess() == "\"older text\""; }, 15000));
}

// Waits for the error box, checks its text, and presses a button on it.
void AnswerErrorBox(int button, std::wstring* shownText) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindOwnWindow(L"#32770", L"Lumenfold · 信息 / Information")) != nullptr; });
    if (!box) return;
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message text of a MessageBox
    *shownText = text;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

TEST(CopyableError, OkCopiesTheMessageAlone) {
    std::wstring shown;
    std::thread answer(AnswerErrorBox, IDOK, &shown);
    CopyableError(nullptr, L"Cannot read saved settings.");
    answer.join();
    EXPECT_EQ(shown, L"Cannot read saved settings.\n\n点击确定复制完整信息。 / OK copies this information.");
    EXPECT_EQ(ClipboardFromAnotherProcess(), "\"Cannot read saved settings.\"");
}

TEST(CopyableError, CancelCopiesNothing) {
    ASSERT_TRUE(CopyText(nullptr, L"untouched"));
    std::wstring shown;
    std::thread answer(AnswerErrorBox, IDCANCEL, &shown);
    CopyableError(nullptr, L"Save failed.");
    answer.join();
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(ClipboardFromAnotherProcess(), "\"untouched\"");
}

// ---- handles and monitors ------------------------------------------------------------------

TEST(Handles, CounterReturnsToStartAndObjectsAreGone) {
    const long start = LiveHandleCount();
    HGDIOBJ font = nullptr, brush = nullptr, bitmap = nullptr;
    {
        UniqueWindow window = TestWindow({0, 0, 100, 100});
        ASSERT_TRUE(window);
        UniqueFont interfaceFont = InterfaceFont(window.get(), 9, FW_NORMAL);
        UniqueBrush solid(CreateSolidBrush(RGB(1, 2, 3)));
        WindowDC screen(window.get());
        UniqueMemoryDC memory(CreateCompatibleDC(screen.get()));
        UniqueBitmap pixels(CreateCompatibleBitmap(screen.get(), 10, 10));
        {
            SelectedObject selected(memory.get(), pixels.get());
        }
        UniqueRegion region(CreateRectRgn(0, 0, 50, 50));
        ASSERT_NE(SetWindowRgn(window.get(), region.get(), FALSE), 0);
        region.release();  // the window owns it now
        UniqueFont moved = std::move(interfaceFont);
        EXPECT_FALSE(interfaceFont);
        EXPECT_EQ(LiveHandleCount(), start + 6);
        font = moved.get();
        brush = solid.get();
        bitmap = pixels.get();
    }
    EXPECT_EQ(LiveHandleCount(), start);
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(Monitors, FitOnMonitorUsesTheMonitorNearestThePoint) {
    const RECT monitor = MonitorBounds({10, 10}, false);
    EXPECT_EQ(monitor.left, 0);
    EXPECT_EQ(monitor.right, GetSystemMetrics(SM_CXSCREEN));
    const RECT fitted = FitOnMonitor({monitor.right - 50, 100, monitor.right + 150, 300}, {99999, 200});
    EXPECT_EQ(fitted.left, monitor.right - 200);
    EXPECT_EQ(fitted.right, monitor.right);
    EXPECT_EQ(fitted.top, 100);
}

}  // namespace
