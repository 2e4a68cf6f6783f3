#pragma once
#include <windows.h>

#include <functional>

// Answers WM_PAINT double-buffered: draw paints the whole client area into a memory DC, which is
// copied to the window in one BitBlt, so a repaint never flickers.
void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw);
