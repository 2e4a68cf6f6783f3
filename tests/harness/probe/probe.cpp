// lfprobe: the end-to-end tests' eyes and hands inside a test's Wine prefix. Each command prints one
// JSON value on standard output and exits 0, or prints an error and exits 1.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::string Json(std::wstring_view text) {
    std::string out = "\"";
    for (unsigned char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Json(const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
    return buffer;
}

std::string Number(long long value) { return std::to_string(value); }

HWND ParseWindow(const wchar_t* text) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wcstoi64(text, nullptr, 0))); }

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT with a time-out: the window may belong to a busy process.
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

std::string RegionJson(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int type = GetWindowRgn(window, region);
    std::string out = "{\"type\": " + Number(type) + ", \"rects\": [";
    if (type != ERROR) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<char> data(size);
        auto* header = reinterpret_cast<RGNDATA*>(data.data());
        if (size && GetRegionData(region, size, header)) {
            const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
            for (DWORD i = 0; i < header->rdh.nCount; ++i) out += (i ? ", " : "") + Json(rects[i]);
        }
        RECT box{};
        GetRgnBox(region, &box);
        out += "], \"box\": " + Json(box) + "}";
    } else {
        out += "]}";
    }
    DeleteObject(region);
    return out;
}

std::string InfoJson(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    const BOOL layered = GetLayeredWindowAttributes(window, &key, &alpha, &flags);
    std::string out = "{";
    out += "\"hwnd\": " + Number(reinterpret_cast<INT_PTR>(window));
    out += ", \"class\": " + Json(ClassOf(window));
    out += ", \"title\": " + Json(TextOf(window));
    out += ", \"rect\": " + Json(rect);
    out += ", \"style\": " + Number(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)));
    out += ", \"exstyle\": " + Number(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    out += ", \"visible\": " + std::string(IsWindowVisible(window) ? "true" : "false");
    out += ", \"owner\": " + Number(reinterpret_cast<INT_PTR>(GetWindow(window, GW_OWNER)));
    out += ", \"parent\": " + Number(reinterpret_cast<INT_PTR>(GetAncestor(window, GA_PARENT)));
    out += ", \"pid\": " + Number(pid);
    out += ", \"layered\": ";
    out += layered ? "{\"key\": " + Number(key) + ", \"alpha\": " + Number(alpha) + ", \"flags\": " + Number(flags) + "}"
                   : "null";
    out += ", \"region\": " + RegionJson(window);
    return out + "}";
}

struct Listing {
    DWORD pid = 0;  // 0: any process
    std::wstring className;  // empty: any class
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto* listing = reinterpret_cast<Listing*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if ((listing->pid == 0 || pid == listing->pid) &&
        (listing->className.empty() || ClassOf(window) == listing->className))
        listing->found.push_back(window);
    return TRUE;
}

// Top-level windows and message-only windows, optionally of one process and one class.
std::vector<HWND> ListWindows(DWORD pid, const std::wstring& className) {
    Listing listing{pid, className, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&listing));
    for (HWND child = nullptr; (child = FindWindowExW(HWND_MESSAGE, child, nullptr, nullptr));)
        Collect(child, reinterpret_cast<LPARAM>(&listing));
    return listing.found;
}

std::string WindowList(const std::vector<HWND>& windows) {
    std::string out = "[";
    for (size_t i = 0; i < windows.size(); ++i) out += (i ? ", " : "") + InfoJson(windows[i]);
    return out + "]";
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Quotes one argument the way the C runtime splits it again.
std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

using Args = std::vector<std::wstring>;

int Fail(const char* message) {
    std::fprintf(stderr, "lfprobe: %s\n", message);
    return 1;
}

int Print(const std::string& json) {
    std::printf("%s\n", json.c_str());
    std::fflush(stdout);
    return 0;
}

// find CLASS: the first window of the class, or 0.
int Find(const Args& a) {
    if (a.size() != 1) return Fail("usage: find CLASS");
    const auto windows = ListWindows(0, a[0]);
    return Print(Number(windows.empty() ? 0 : reinterpret_cast<INT_PTR>(windows.front())));
}

// list [CLASS [PID]]: details of matching windows.
int List(const Args& a) {
    const std::wstring className = a.size() > 0 ? a[0] : L"";
    const DWORD pid = a.size() > 1 ? static_cast<DWORD>(_wtoi(a[1].c_str())) : 0;
    return Print(WindowList(ListWindows(pid, className == L"*" ? L"" : className)));
}

// wait CLASS MILLISECONDS: waits for a window of the class; prints its details.
int Wait(const Args& a) {
    if (a.size() != 2) return Fail("usage: wait CLASS MILLISECONDS");
    const ULONGLONG deadline = GetTickCount64() + _wtoi(a[1].c_str());
    do {
        const auto windows = ListWindows(0, a[0]);
        if (!windows.empty()) return Print(InfoJson(windows.front()));
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return Fail("window did not appear");
}

int Info(const Args& a) {
    if (a.size() != 1) return Fail("usage: info HWND");
    HWND window = ParseWindow(a[0].c_str());
    if (!IsWindow(window)) return Fail("no such window");
    return Print(InfoJson(window));
}

// children HWND: class, id and text of every child (a message box's texts and buttons).
int ChildrenCommand(const Args& a) {
    if (a.size() != 1) return Fail("usage: children HWND");
    std::string out = "[";
    bool first = true;
    for (HWND child : Children(ParseWindow(a[0].c_str()))) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"hwnd\": " + Number(reinterpret_cast<INT_PTR>(child)) + ", \"class\": " + Json(ClassOf(child)) +
               ", \"id\": " + Number(GetDlgCtrlID(child)) + ", \"text\": " + Json(TextOf(child)) +
               ", \"visible\": " + (IsWindowVisible(child) ? "true" : "false") + "}";
    }
    return Print(out + "]");
}

// press HWND ID: clicks the dialog's button with that control id.
int Press(const Args& a) {
    if (a.size() != 2) return Fail("usage: press HWND ID");
    HWND dialog = ParseWindow(a[0].c_str());
    HWND button = GetDlgItem(dialog, _wtoi(a[1].c_str()));
    if (!button) return Fail("no such button");
    PostMessageW(button, BM_CLICK, 0, 0);
    return Print("true");
}

// message post|send HWND MSG WPARAM LPARAM: send waits up to 5 s and prints the answer, and whether the
// window still existed the moment the answer came.
int Message(const Args& a) {
    if (a.size() != 5) return Fail("usage: message post|send HWND MSG WPARAM LPARAM");
    HWND window = ParseWindow(a[1].c_str());
    const UINT msg = static_cast<UINT>(_wcstoi64(a[2].c_str(), nullptr, 0));
    const WPARAM wParam = static_cast<WPARAM>(_wcstoi64(a[3].c_str(), nullptr, 0));
    const LPARAM lParam = static_cast<LPARAM>(_wcstoi64(a[4].c_str(), nullptr, 0));
    if (a[0] == L"post") return PostMessageW(window, msg, wParam, lParam) ? Print("true") : Fail("post failed");
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) return Fail("send failed");
    const bool alive = IsWindow(window);
    return Print("{\"answer\": " + Number(static_cast<long long>(answer)) + ", \"alive\": " + (alive ? "true" : "false") +
                 "}");
}

// short-path PATH: the 8.3 spelling of an existing path.
int ShortPath(const Args& a) {
    if (a.size() != 1) return Fail("usage: short-path PATH");
    wchar_t path[MAX_PATH] = {};
    if (!GetShortPathNameW(a[0].c_str(), path, MAX_PATH)) return Fail("GetShortPathName failed");
    return Print(Json(path));
}

// launch PROGRAM ARGS...: runs a program to its end, watching which windows it creates.
int Launch(const Args& a) {
    if (a.empty()) return Fail("usage: launch PROGRAM ARGS...");
    std::wstring commandLine;
    for (const auto& arg : a) commandLine += (commandLine.empty() ? L"" : L" ") + QuoteArgument(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const ULONGLONG started = GetTickCount64();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return Fail("CreateProcess failed");
    std::map<HWND, std::wstring> seen;
    while (WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) {
        for (HWND window : ListWindows(info.dwProcessId, L"")) seen.emplace(window, ClassOf(window));
        if (GetTickCount64() - started > 120000) {
            TerminateProcess(info.hProcess, 99);
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    const ULONGLONG elapsed = GetTickCount64() - started;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::string classes = "[";
    bool first = true;
    for (const auto& [window, name] : seen) {
        classes += (first ? "" : ", ") + Json(name);
        first = false;
    }
    return Print("{\"exit_code\": " + Number(code) + ", \"ms\": " + Number(static_cast<long long>(elapsed)) +
                 ", \"windows\": " + classes + "]}");
}

// hold-mutex NAME MILLISECONDS: owns nothing, but makes the named mutex exist for a while.
int HoldMutex(const Args& a) {
    if (a.size() != 2) return Fail("usage: hold-mutex NAME MILLISECONDS");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, a[0].c_str());
    if (!mutex) return Fail("CreateMutex failed");
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(_wtoi(a[1].c_str())));
    CloseHandle(mutex);
    return 0;
}

// clipboard-get: the clipboard's Unicode text, or null.
int ClipboardGet(const Args&) {
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
    std::string out = "null";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            out = Json(text);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return Print(out);
}

// clipboard-hold MILLISECONDS [TEXT]: keeps the clipboard open (after setting TEXT) for a while.
int ClipboardHold(const Args& a) {
    if (a.empty()) return Fail("usage: clipboard-hold MILLISECONDS [TEXT]");
    // Opened for a window, as applications do: Wine lets a second opener with the same (null) owner in.
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return Fail("OpenClipboard failed");
    if (a.size() > 1) {
        const size_t bytes = (a[1].size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(GlobalLock(memory), a[1].c_str(), bytes);
        GlobalUnlock(memory);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(_wtoi(a[0].c_str())));
    CloseClipboard();
    return 0;
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    auto* out = reinterpret_cast<std::string*>(param);
    *out += (out->size() > 1 ? ", " : "") + std::string("{\"rect\": ") + Json(info.rcMonitor) +
            ", \"work\": " + Json(info.rcWork) + ", \"primary\": " + ((info.dwFlags & MONITORINFOF_PRIMARY) ? "true" : "false") + "}";
    return TRUE;
}

// monitors: every monitor and the virtual screen.
int Monitors(const Args&) {
    std::string list = "[";
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    const RECT virtualScreen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return Print("{\"monitors\": " + list + "], \"virtual\": " + Json(virtualScreen) + "}");
}

// hold-file PATH MILLISECONDS: keeps a file open without sharing (created when missing).
int HoldFile(const Args& a) {
    if (a.size() != 2) return Fail("usage: hold-file PATH MILLISECONDS");
    HANDLE file = CreateFileW(a[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("CreateFile failed");
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(_wtoi(a[1].c_str())));
    CloseHandle(file);
    return 0;
}

LRESULT CALLBACK ColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// colour-window R G B LEFT TOP RIGHT BOTTOM: a plain window of one colour, shown until the probe ends.
int ColourWindow(const Args& a) {
    if (a.size() != 7) return Fail("usage: colour-window R G B LEFT TOP RIGHT BOTTOM");
    int v[7];
    for (int i = 0; i < 7; ++i) v[i] = _wtoi(a[i].c_str());
    WNDCLASSW cls{};
    cls.lpfnWndProc = ColourProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"Lumenfold.Probe.Colour";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"Lumenfold probe colour", WS_POPUP, v[3], v[4], v[5] - v[3],
                                  v[6] - v[4], nullptr, nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, RGB(v[0], v[1], v[2]));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    std::printf("%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// tray-delete HWND ID: removes another program's tray icon, as a crashed shell would lose it.
int TrayDelete(const Args& a) {
    if (a.size() != 2) return Fail("usage: tray-delete HWND ID");
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = ParseWindow(a[0].c_str());
    data.uID = static_cast<UINT>(_wtoi(a[1].c_str()));
    return Shell_NotifyIconW(NIM_DELETE, &data) ? Print("true") : Fail("NIM_DELETE failed");
}

// broadcast-taskbar-created: what the shell sends every top-level window after it restarts.
int BroadcastTaskbarCreated(const Args&) {
    const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return Print("true");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::map<std::wstring, std::function<int(const Args&)>> commands = {
        {L"find", Find},       {L"list", List},         {L"wait", Wait},
        {L"info", Info},       {L"children", ChildrenCommand}, {L"press", Press},
        {L"message", Message}, {L"short-path", ShortPath},
        {L"launch", Launch},   {L"hold-mutex", HoldMutex},
        {L"clipboard-get", ClipboardGet}, {L"clipboard-hold", ClipboardHold},
        {L"monitors", Monitors},          {L"hold-file", HoldFile},
        {L"colour-window", ColourWindow}, {L"tray-delete", TrayDelete},
        {L"broadcast-taskbar-created", BroadcastTaskbarCreated},
    };
    if (argc < 2 || !commands.count(argv[1])) return Fail("usage: lfprobe COMMAND ARGS...");
    return commands.at(argv[1])(Args(argv + 2, argv + argc));
}
