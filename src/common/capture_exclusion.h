#pragma once
#include <windows.h>

// Asks the system to leave `window` out of screenshots and screen sharing, or to show it in them
// again. Where the system cannot (before Windows 10 version 2004, or it refuses), the window stays
// capturable and the activity log says so once per run.
void ExcludeFromCapture(HWND window, bool exclude);
