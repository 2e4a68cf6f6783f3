#include "test_support.h"

#include <vector>

std::string RunProbe(const std::wstring& arguments, const std::string& waitFor, DWORD timeoutMs) {
    wchar_t probe[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"LUMENFOLD_PROBE", probe, MAX_PATH)) return "no LUMENFOLD_PROBE";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + std::wstring(probe) + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &info);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        char buffer[4096];
        DWORD read = 0;
        while (GetTickCount64() < deadline && ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read) {
            output.append(buffer, read);
            if (!waitFor.empty() && output.find(waitFor) != std::string::npos) break;
        }
        if (waitFor.empty()) WaitForSingleObject(info.hProcess, timeoutMs);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(readEnd);
    return output;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
    return true;
}

void Pump(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(2);
    } while (GetTickCount64() < end);
}

BYTE Alpha(HWND window) {
    BYTE alpha = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    return alpha;
}

int RegionType(HWND window) {
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, region.get());
}

bool InHole(HWND window, int x, int y) {
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, region.get()) == ERROR || !PtInRegion(region.get(), x, y);
}

UniqueWindow TestWindow(RECT rect, DWORD exStyle, DWORD style) {
    static const ATOM windowClass = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"Lumenfold.Tests.Window";
        return RegisterClassW(&cls);
    }();
    return UniqueWindow(CreateWindowExW(exStyle, MAKEINTATOM(windowClass), L"test window", style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
}

HWND FindOwnWindow(const wchar_t* className, const wchar_t* title) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, title));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId()) return window;
    }
    return nullptr;
}
