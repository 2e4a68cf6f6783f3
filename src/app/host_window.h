#pragma once
#include <windows.h>

struct Application;

// The hidden top-level window that receives the private messages of other copies; destroying it
// ends the program.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Registers the class and creates the host window; null on failure.
HWND CreateHostWindow(HINSTANCE instance, Application* application);
