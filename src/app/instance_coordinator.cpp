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
    if (mutex) CloseHandle(mutex);
}

InstanceCoordinator::Result InstanceCoordinator::Begin(bool quit) {
    mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (!mutex) return LeaveFailure;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return quit ? LeaveSuccess : Run;

    HWND host = FindRunningHost();
    if (!host) return LeaveFailure;
    if (quit) return NotifyAndWait(host, QuitMessage, true) ? LeaveSuccess : LeaveFailure;

    DWORD processId = 0;
    GetWindowThreadProcessId(host, &processId);
    const std::wstring running = ProcessImagePath(processId);
    // Both read the same way: a short name, a subst drive or a junction spells one file many ways.
    const std::wstring own = ImagePath(GetCurrentProcess());
    const bool samePath = CompareStringOrdinal(running.c_str(), static_cast<int>(running.size()), own.c_str(),
                                               static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
    if (!running.empty() && !samePath) {
        // A copy from another folder (a newer download, say) replaces the running one.
        if (!NotifyAndWait(host, QuitMessage, true)) return LeaveFailure;
        CloseHandle(mutex);
        mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
        if (!mutex) return LeaveFailure;
        if (GetLastError() == ERROR_ALREADY_EXISTS) return LeaveFailure;
        return Run;
    }
    return NotifyAndWait(host, ShowControlsMessage, false) ? LeaveSuccess : LeaveFailure;
}
