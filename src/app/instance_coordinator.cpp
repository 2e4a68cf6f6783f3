#include "app/instance_coordinator.h"

#include <string>

namespace {

constexpr DWORD kPathCapacity = 32768;

std::wstring ImagePath(HANDLE process) {
    std::wstring path(kPathCapacity, L'\0');
    DWORD size = kPathCapacity;
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
    path.resize(size);
    return path;
}

std::wstring ProcessImagePath(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return {};
    std::wstring path = ImagePath(process);
    CloseHandle(process);
    return path;
}

HWND FindRunningHost() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (HWND host = FindWindowW(kHostWindowClass, nullptr)) return host;
        Sleep(50);
    }
    Sleep(50);
    return nullptr;
}

bool RunsFromThisFile(HWND host) {
    DWORD processId = 0;
    GetWindowThreadProcessId(host, &processId);
    const std::wstring running = ProcessImagePath(processId);
    // Both read the same way: a short name, a subst drive or a junction spells one file many ways.
    const std::wstring own = ImagePath(GetCurrentProcess());
    // A path that cannot be read counts as this file: asking to show the controls is harmless.
    return running.empty() || CompareStringOrdinal(running.c_str(), static_cast<int>(running.size()), own.c_str(),
                                                   static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool NotifyAndWait(HWND host, UINT message, bool waitForExit) {
    DWORD processId = 0;
    GetWindowThreadProcessId(host, &processId);
    HANDLE process = nullptr;
    if (waitForExit && processId != 0) process = OpenProcess(SYNCHRONIZE, FALSE, processId);

    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(host, message, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &answer)) {
        if (process) CloseHandle(process);
        return false;
    }
    if (!waitForExit) return true;
    if (!process) return false;
    const bool ended = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

InstanceCoordinator::~InstanceCoordinator() {
    if (!mutex) return;
    if (hosting) ReleaseMutex(mutex);
    CloseHandle(mutex);
}

// The copy that runs owns the mutex for its whole run. Other copies keep their handles open, so the
// mutex's existence says little during a storm of starts; its ownership decides which copy runs.
InstanceCoordinator::Result InstanceCoordinator::Begin(bool quit) {
    mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (!mutex) return LeaveFailure;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        hosting = true;
        return quit ? LeaveSuccess : Run;
    }

    HWND host = FindRunningHost();
    if (!host) return LeaveFailure;
    if (quit) return NotifyAndWait(host, QuitMessage, true) ? LeaveSuccess : LeaveFailure;
    if (!RunsFromThisFile(host)) {
        // A copy from another folder (a newer download, say) replaces the running one.
        if (!NotifyAndWait(host, QuitMessage, true)) return LeaveFailure;
        const DWORD taken = WaitForSingleObject(mutex, 0);
        hosting = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
        if (hosting) return Run;
        // Another copy started together replaced it first: that one runs, and is not replaced in turn.
        host = FindRunningHost();
        if (!host || !RunsFromThisFile(host)) return LeaveFailure;
    }
    return NotifyAndWait(host, ShowControlsMessage, false) ? LeaveSuccess : LeaveFailure;
}
