#pragma once
#include <windows.h>
#include <shtypes.h>

#include <string>

#include "common/handles.h"

// A known folder's path (no flags), empty when the shell cannot resolve it.
std::wstring KnownFolderPath(REFKNOWNFOLDERID id);

// Opens a URL or path with the shell; true when the shell accepted it.
bool OpenLink(HWND owner, const std::wstring& target);

// "Segoe UI" at the given size in points for the window's current DPI.
UniqueFont InterfaceFont(HWND window, int points, int weight);

// The full rectangle or the work area of the monitor nearest the point.
RECT MonitorBounds(POINT point, bool workArea);

// Fits a rectangle onto the monitor nearest the point (see the portable FitOnMonitor).
RECT FitOnMonitor(const RECT& rect, POINT point);
