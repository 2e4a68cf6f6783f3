#include "common/shell_services.h"

#include <shellapi.h>
#include <shlobj.h>

#include "common/geometry.h"
#include "common/win_geometry.h"

std::wstring KnownFolderPath(REFKNOWNFOLDERID id) {
    PWSTR shellPath = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &shellPath);
    std::wstring folder;
    if (SUCCEEDED(result) && shellPath) folder = shellPath;
    // The shell may hand out a buffer even when it fails.
    CoTaskMemFree(shellPath);
    return folder;
}

bool OpenLink(HWND owner, const std::wstring& target) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

UniqueFont InterfaceFont(HWND window, int points, int weight) {
    UINT dpi = window ? GetDpiForWindow(window) : 0;
    if (dpi == 0) dpi = GetDpiForSystem();
    // A negative height asks for the character height, so the size is in points at this DPI.
    return UniqueFont(CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
}

RECT MonitorBounds(POINT point, bool workArea) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
        info = MONITORINFO{};
    }
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const Rect virtualScreen{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return ToRECT(MonitorOrVirtualScreen(ToRect(workArea ? info.rcWork : info.rcMonitor), virtualScreen));
}

RECT FitOnMonitor(const RECT& rect, POINT point) {
    return ToRECT(FitOnMonitor(ToRect(rect), ToRect(MonitorBounds(point, false))));
}
