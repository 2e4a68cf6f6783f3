// Start-up under Wine, for bench/report.py.
//   startup_bench window               a trivial window: what any Windows program costs to start
//   startup_bench time CLASS MS ARGS   starts ARGS and prints the milliseconds until a window of
//                                      CLASS of that process is visible (-1 after MS); the process
//                                      keeps running
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kTrivialClass[] = L"Lumenfold.Bench.Trivial";

int TrivialWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kTrivialClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kTrivialClass, L"trivial", WS_POPUP, 0, 0, 400, 300, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

struct Search {
    DWORD process;
    const wchar_t* className;
    bool found;
};

int TimeUntilShown(const wchar_t* className, int limit, int argc, wchar_t** argv) {
    std::wstring commandLine;
    for (int i = 0; i < argc; ++i) commandLine += (i ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    LARGE_INTEGER frequency{}, start{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 1;
    double ms = 0;
    Search search{info.dwProcessId, className, false};
    while (!search.found && ms <= limit) {
        Sleep(2);
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                wchar_t name[128] = {};
                GetWindowThreadProcessId(window, &owner);
                GetClassNameW(window, name, 128);
                s.found = owner == s.process && IsWindowVisible(window) && std::wcscmp(name, s.className) == 0;
                return !s.found;
            },
            reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    std::printf("%.1f\n", search.found ? ms : -1.0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 2 && std::wcscmp(argv[1], L"window") == 0) return TrivialWindow();
    if (argc >= 5 && std::wcscmp(argv[1], L"time") == 0)
        return TimeUntilShown(argv[2], _wtoi(argv[3]), argc - 4, argv + 4);
    std::fprintf(stderr, "usage: startup_bench window | time CLASS MS PROGRAM ARGS...\n");
    return 2;
}
