#pragma once
// The one object that owns every long-lived piece of the program. Members are destroyed in reverse
// order, which is the order teardown needs.
#include <windows.h>
#include <shellapi.h>

#include "overlay/overlay_window.h"
#include "state/app_state.h"

struct Application {
    AppState state;
    OverlayWindow overlay;
    HWND host = nullptr;
    NOTIFYICONDATAW tray{};
    // The quit-failure box is open: a further quit request neither saves nor stacks a second box.
    bool quitFailureOpen = false;
};
