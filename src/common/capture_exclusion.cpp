#include "common/capture_exclusion.h"

#include "common/activity_log.h"

namespace {

constexpr DWORD kFirstBuildExcluding = 19041;  // Windows 10 version 2004

// Older systems take WDA_EXCLUDEFROMCAPTURE for WDA_MONITOR and capture the window as black.
// RtlGetVersion, unlike GetVersionEx, is not bent by the manifest's compatibility list.
bool SystemExcludes() {
    static const bool excludes = [] {
        using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        const FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!found || reinterpret_cast<GetVersion>(reinterpret_cast<void*>(found))(&version) != 0) return false;
        return version.dwMajorVersion > 10 ||
               (version.dwMajorVersion == 10 && version.dwBuildNumber >= kFirstBuildExcluding);
    }();
    return excludes;
}

void NoteUnavailable() {
    static bool noted = false;
    if (noted) return;
    noted = true;
    LogActivity("capture exclusion unavailable");
}

}  // namespace

void ExcludeFromCapture(HWND window, bool exclude) {
    if (!window) return;
    if (!SystemExcludes()) {
        if (exclude) NoteUnavailable();
        return;
    }
    if (!SetWindowDisplayAffinity(window, exclude ? WDA_EXCLUDEFROMCAPTURE : WDA_NONE) && exclude) NoteUnavailable();
}
