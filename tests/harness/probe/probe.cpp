// lfprobe: the end-to-end tests' eyes and hands inside Wine. Each command prints one line (JSON, or
// "held" once a holding command holds) and exits 0, or prints an error and exits 1.
#include <windows.h>
#include <dpapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

std::string String(std::wstring_view text) {
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                        static_cast<int>(utf8.size()), nullptr, nullptr);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        char escaped[8] = {static_cast<char>(c)};
        if (c < 0x20) std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        if (c == '"' || c == '\\') out += '\\';
        out += escaped;
    }
    return out + "\"";
}

std::string Number(long long value) { return std::to_string(value); }
std::string Bool(bool value) { return value ? "true" : "false"; }
std::string Handle(HWND window) { return Number(reinterpret_cast<INT_PTR>(window)); }
std::string Rect(const RECT& r) {
    char out[96];
    std::snprintf(out, sizeof out, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
    return out;
}

std::string Object(std::initializer_list<std::pair<const char*, std::string>> members) {
    std::string out = "{";
    for (const auto& [name, value] : members)
        out += (out.size() > 1 ? ", \"" : "\"") + std::string(name) + "\": " + value;
    return out + "}";
}

template <class Items, class Each>
std::string Array(const Items& items, Each each) {
    std::string out = "[";
    for (const auto& item : items) out += (out.size() > 1 ? ", " : "") + each(item);
    return out + "]";
}

int Fail(const char* message) {
    std::fprintf(stderr, "lfprobe: %s\n", message);
    return 1;
}
int Print(const std::string& text) {
    std::printf("%s\n", text.c_str());
    return std::fflush(stdout);
}
int Held(const std::wstring& milliseconds) {
    Print("held");
    Sleep(static_cast<DWORD>(_wtoi(milliseconds.c_str())));
    return 0;
}

HWND ParseWindow(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wcstoi64(text.c_str(), nullptr, 0)));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;  // with a time-out: its owner may be busy
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

// In window coordinates; [] without a region.
std::string Region(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    std::vector<char> data(GetWindowRgn(window, region) != ERROR ? GetRegionData(region, 0, nullptr) : 0);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (data.empty() || !GetRegionData(region, static_cast<DWORD>(data.size()), header)) header = nullptr;
    DeleteObject(region);
    const auto* first = header ? reinterpret_cast<const RECT*>(header->Buffer) : nullptr;
    return Array(std::vector<RECT>(first, first + (header ? header->rdh.nCount : 0)), Rect);
}

std::string Info(HWND window) {
    // Visibility first: a window shown and placed in one step is then never seen visible at its old place.
    const bool visible = IsWindowVisible(window);
    RECT rect{};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    BYTE alpha = 0;
    const bool layered = GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    const DWORD exstyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    return Object({{"hwnd", Handle(window)}, {"class", String(ClassOf(window))}, {"title", String(TextOf(window))},
                   {"rect", Rect(rect)}, {"exstyle", Number(exstyle)}, {"visible", Bool(visible)},
                   {"pid", Number(pid)}, {"alpha", layered ? Number(alpha) : "null"}, {"region", Region(window)}});
}

// Every top-level and message-only window, or every child of `parent`.
std::vector<HWND> Windows(HWND parent = nullptr) {
    std::vector<HWND> found;
    const WNDENUMPROC collect = [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    };
    if (parent) EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
    else EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
    for (HWND window = nullptr; !parent && (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
        found.push_back(window);
    return found;
}

// list [CLASS|*]: every top-level window (of the class).
int List(const Args& a) {
    auto windows = Windows();
    std::erase_if(windows, [&](HWND window) { return !a.empty() && a[0] != L"*" && ClassOf(window) != a[0]; });
    return Print(Array(windows, Info));
}

// children HWND: every child window (a message box's texts and buttons, the tray's icons).
int Children(const Args& a) { return Print(Array(Windows(ParseWindow(a[0])), Info)); }

// send HWND MSG WPARAM LPARAM: the answer and whether the window still existed then. MSG: number or registered name.
int Send(const Args& a) {
    HWND window = ParseWindow(a[0]);
    wchar_t* end = nullptr;
    UINT message = static_cast<UINT>(wcstoul(a[1].c_str(), &end, 0));
    if (*end) message = RegisterWindowMessageW(a[1].c_str());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, static_cast<WPARAM>(_wcstoi64(a[2].c_str(), nullptr, 0)),
                             static_cast<LPARAM>(_wcstoi64(a[3].c_str(), nullptr, 0)), SMTO_ABORTIFHUNG, 5000, &answer))
        return Fail("send failed");
    return Print(Object({{"answer", Number(static_cast<long long>(answer))}, {"alive", Bool(IsWindow(window))}}));
}

// short-path PATH: the 8.3 spelling of an existing path.
int ShortPath(const Args& a) {
    wchar_t path[MAX_PATH] = {};
    if (!GetShortPathNameW(a[0].c_str(), path, MAX_PATH)) return Fail("GetShortPathName failed");
    return Print(String(path));
}

// launch PROGRAM ARGS...: runs a program to its end, noting the classes of its windows. No argument holds a quote.
int Launch(const Args& a) {
    std::wstring commandLine;
    for (const auto& arg : a)
        commandLine += (commandLine.empty() ? L"" : L" ") + (arg.find(L' ') == arg.npos ? arg : L'"' + arg + L'"');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const ULONGLONG started = GetTickCount64();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return Fail(("CreateProcess failed, error " + std::to_string(GetLastError())).c_str());
    std::map<HWND, std::wstring> seen;
    while (WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) {
        for (HWND window : Windows()) {
            DWORD pid = 0;
            if (GetWindowThreadProcessId(window, &pid) && pid == info.dwProcessId)
                seen.emplace(window, ClassOf(window));
        }
        if (GetTickCount64() - started > 120000) TerminateProcess(info.hProcess, 99);
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    const auto elapsed = static_cast<long long>(GetTickCount64() - started);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return Print(Object({{"exit_code", Number(code)}, {"ms", Number(elapsed)},
                         {"windows", Array(seen, [](const auto& window) { return String(window.second); })}}));
}

// hold-mutex NAME MILLISECONDS: makes the named mutex exist (not owned) for a while.
int HoldMutex(const Args& a) {
    return CreateMutexW(nullptr, FALSE, a[0].c_str()) ? Held(a[1]) : Fail("CreateMutex failed");
}

// clipboard-get: the clipboard's Unicode text, or null when it holds none.
int ClipboardGet(const Args&) {
    for (int attempt = 0; !OpenClipboard(nullptr); Sleep(20))
        if (++attempt == 50) return Fail("the clipboard stayed open in another program for a second");
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    const std::string out = text ? String(text) : "null";
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return Print(out);
}

// hold-hotkey MODIFIERS KEY MILLISECONDS: owns a system-wide hot key for a while, as another program would.
int HoldHotKey(const Args& a) {
    return RegisterHotKey(nullptr, 1, _wtoi(a[0].c_str()), _wtoi(a[1].c_str())) ? Held(a[2])
                                                                                : Fail("RegisterHotKey failed");
}

// protect TEXT: the DPAPI blob of TEXT, in hex, as the program protects its owner credential.
int Protect(const Args& a) {
    std::string text(a[0].begin(), a[0].end()), hex = "\"";
    DATA_BLOB in{static_cast<DWORD>(text.size()), reinterpret_cast<BYTE*>(text.data())}, blob{};
    if (!CryptProtectData(&in, L"Lumenfold owner credential", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &blob))
        return Fail("CryptProtectData failed");
    for (const char* digits = "0123456789abcdef"; BYTE byte : std::span(blob.pbData, blob.cbData))
        hex += {digits[byte >> 4], digits[byte & 15]};
    LocalFree(blob.pbData);
    return Print(hex + "\"");
}

int Monitors(const Args&) { return Print(Number(GetSystemMetrics(SM_CMONITORS))); }

// A release here without its press is one Wine handed past the capture of a window above: the title says so.
LRESULT CALLBACK ColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static bool pressed = false;
    if (message == WM_LBUTTONDOWN) pressed = true;
    if (message == WM_LBUTTONUP && !std::exchange(pressed, false))
        SetWindowTextW(window, L"Lumenfold probe colour: a stray release");
    return DefWindowProcW(window, message, wParam, lParam);
}

// colour-window R G B LEFT TOP RIGHT BOTTOM: a plain window of one colour, shown until the probe ends.
int ColourWindow(const Args& a) {
    int v[7];
    for (int i = 0; i < 7; ++i) v[i] = _wtoi(a[i].c_str());
    const WNDCLASSW cls{0, ColourProc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr,
                        CreateSolidBrush(RGB(v[0], v[1], v[2])), nullptr, L"Lumenfold.Probe.Colour"};
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"Lumenfold probe colour", WS_POPUP, v[3], v[4], v[5] - v[3],
                                  v[6] - v[4], nullptr, nullptr, cls.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    Print(Handle(window));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// window HWND front|min|LEFT TOP RIGHT BOTTOM [notify]: activates, minimises or places another program's window;
// with "notify", tells the event hooks too, as Windows itself would.
int Window(const Args& a) {
    HWND window = ParseWindow(a[0]);
    DWORD event = EVENT_OBJECT_LOCATIONCHANGE;
    if (a[1] == L"front") {
        if (!SetForegroundWindow(window)) return Fail("SetForegroundWindow failed");
        event = EVENT_SYSTEM_FOREGROUND;
    } else if (a[1] == L"min") {
        ShowWindow(window, SW_MINIMIZE);
        event = EVENT_SYSTEM_MINIMIZESTART;
    } else if (int v[4]; a.size() >= 5 && (v[0] = _wtoi(a[1].c_str()), v[1] = _wtoi(a[2].c_str()),
                                             v[2] = _wtoi(a[3].c_str()), v[3] = _wtoi(a[4].c_str()), true)) {
        if (!SetWindowPos(window, nullptr, v[0], v[1], v[2] - v[0], v[3] - v[1], SWP_NOZORDER | SWP_NOACTIVATE))
            return Fail("SetWindowPos failed");
    }
    if (a.back() == L"notify") NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
    return Print("true");
}

// tray-delete HWND ID: removes another program's tray icon, as a crashed shell would lose it.
int TrayDelete(const Args& a) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = ParseWindow(a[0]);
    data.uID = static_cast<UINT>(_wtoi(a[1].c_str()));
    return Shell_NotifyIconW(NIM_DELETE, &data) ? Print("true") : Fail("NIM_DELETE failed");
}

int Run(const Args& argv);

// serve: runs a command per line read (its arguments separated by tabs) and ends each answer with "done CODE",
// sparing the tests a Wine process start for each look at the windows.
int Serve(const Args&) {
    for (char line[4096]; std::fgets(line, sizeof line, stdin);) {
        Args argv(1);
        for (wchar_t c : std::wstring(line, line + std::strcspn(line, "\r\n")))  // the tests send ASCII
            c == L'\t' ? argv.emplace_back() : argv.back() += c;
        std::printf("done %d\n", Run(argv));
        std::fflush(stdout);
    }
    return 0;
}

int Run(const Args& argv) {
    struct Command { size_t arguments; int (*run)(const Args&); };  // at least that many arguments
    static const std::map<std::wstring, Command> commands = {
        {L"list", {0, List}}, {L"children", {1, Children}}, {L"send", {4, Send}},
        {L"short-path", {1, ShortPath}}, {L"launch", {1, Launch}}, {L"hold-mutex", {2, HoldMutex}},
        {L"clipboard-get", {0, ClipboardGet}}, {L"monitors", {0, Monitors}}, {L"colour-window", {7, ColourWindow}},
        {L"tray-delete", {2, TrayDelete}}, {L"hold-hotkey", {3, HoldHotKey}}, {L"protect", {1, Protect}},
        {L"window", {2, Window}}, {L"serve", {0, Serve}}};
    const auto command = argv.empty() ? commands.end() : commands.find(argv[0]);
    if (command == commands.end() || argv.size() - 1 < command->second.arguments)
        return Fail("usage: lfprobe COMMAND ARGS... (the commands and their arguments are listed in probe.cpp)");
    return command->second.run(Args(argv.begin() + 1, argv.end()));
}

}  // namespace

int main() {  // Zig's runtime has no wide entry point: both builds read the wide command line themselves
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    return Run(Args(argv + 1, argv + argc));
}
