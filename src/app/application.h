#pragma once
// The one object that owns every long-lived piece of the program. Members are destroyed in reverse
// order, which is the order teardown needs.
#include <windows.h>
#include <shellapi.h>

#include "state/app_state.h"

struct Application {
    AppState state;
    HWND host = nullptr;
    NOTIFYICONDATAW tray{};
};
