#pragma once
// Settles with a copy of Lumenfold already running in this logon session. The mutex name, the host
// window class and the private messages are the contract between older and newer copies.
#include <windows.h>

inline constexpr wchar_t kInstanceMutexName[] = L"Local\\Lumenfold.Windows.SingleInstance";
inline constexpr wchar_t kHostWindowClass[] = L"Lumenfold.Windows.Host";

inline constexpr UINT TrayCallbackMessage = WM_APP + 20;
inline constexpr UINT ShowControlsMessage = WM_APP + 21;
inline constexpr UINT QuitMessage = WM_APP + 22;
// Private to the running copy: the host window destroys itself after QuitMessage was answered.
inline constexpr UINT DestroyHostMessage = WM_APP + 23;

// Delivers a message to the running copy's host window; with waitForExit, also waits for that
// process to end.
bool NotifyAndWait(HWND host, UINT message, bool waitForExit);

class InstanceCoordinator {
public:
    enum Result { Run = 0, LeaveSuccess = 1, LeaveFailure = 2 };

    InstanceCoordinator() = default;
    InstanceCoordinator(const InstanceCoordinator&) = delete;
    InstanceCoordinator& operator=(const InstanceCoordinator&) = delete;
    ~InstanceCoordinator();

    Result Begin(bool quit);

private:
    HANDLE mutex = nullptr;
    bool hosting = false;  // this copy owns the mutex
};
