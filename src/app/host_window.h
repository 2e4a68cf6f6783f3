#pragma once
#include <windows.h>

#include "common/handles.h"

struct Application;

inline constexpr int kRevealHotKey = 2;
inline constexpr int kBrighterHotKey = 3;
inline constexpr int kDarkerHotKey = 4;
inline constexpr int kTrayIconResource = 101;

// The hidden top-level window that owns the hot key, the tray icon and menu, and receives the
// private messages of other copies; destroying it ends the program.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Registers the class and creates the host window; null on failure.
HWND CreateHostWindow(HINSTANCE instance, Application* application);

// The reveal key of the settings (Ctrl+K when none is readable) and Ctrl+Alt+Up and Down for the
// background brightness. Keys another program owns are logged, never shown.
void RegisterHotKeys(Application& application);

// Fills the tray record and adds the icon (again, after the shell restarted).
void AddTrayIcon(Application* application, HINSTANCE instance);

// The tray menu with its check marks for the current interface size.
UniqueMenu BuildTrayMenu(const Application& application);

// Runs the command of a tray menu id (0 runs nothing).
void RunTrayCommand(Application& application, unsigned id);
