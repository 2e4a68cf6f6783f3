#pragma once
// Small helpers shared by the Windows-side tests.
#include <windows.h>

#include "common/handles.h"

#include <functional>
#include <string>

// Runs the probe (path from LUMENFOLD_PROBE) with the arguments; returns its standard output.
// With waitFor, returns as soon as that text appeared and leaves the probe running.
std::string RunProbe(const std::wstring& arguments, const std::string& waitFor = {}, DWORD timeoutMs = 20000);

// Polls until the condition holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Dispatches this thread's messages for at least the given time (at least once).
void Pump(DWORD milliseconds);

// A layered window's alpha, and the type of its region (ERROR when it has none).
BYTE Alpha(HWND window);
int RegionType(HWND window);

// Whether a point in window coordinates lies in a hole of the window's region.
bool InHole(HWND window, int x, int y);

// A plain pop-up window of a test class (not shown unless the style says so).
UniqueWindow TestWindow(RECT rect, DWORD exStyle = 0, DWORD style = WS_POPUP);

// A top-level window of this process with the given class and title, or null.
HWND FindOwnWindow(const wchar_t* className, const wchar_t* title);
