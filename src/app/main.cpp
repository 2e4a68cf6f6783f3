#include <windows.h>

#include <string_view>

#include "app/instance_coordinator.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::wstring_view arguments = commandLine ? commandLine : L"";
    const bool quit = arguments.find(L"--quit") != std::wstring_view::npos;

    InstanceCoordinator coordinator;
    switch (coordinator.Begin(quit)) {
        case InstanceCoordinator::LeaveSuccess: return 0;
        case InstanceCoordinator::LeaveFailure: return 2;
        case InstanceCoordinator::Run: break;
    }
    return 0;
}
