#pragma once
// The pictures of a skylight's grips and close button. GDI+ must be running.
#include <windows.h>

#include <cstdint>

// Draws grip `slot`'s picture, width x height pixels at `dpi`, into `pixels` (top-down, premultiplied
// 32-bit BGRA, width * height entries): a background of alpha 1 everywhere (so the whole grip takes
// the mouse), the top bar, the corner handle, and the edge markers near `pointer` (grip client
// pixels) while hovered or pressed. False when nothing could be drawn.
bool DrawGrip(uint32_t* pixels, int width, int height, UINT dpi, int slot, POINT pointer, bool hover, bool pressed);

// Paints a grip window with its picture at the window's size and the skylight's `dpi` and the
// opacity of GripOpacity(brightness, idle), through UpdateLayeredWindow.
void RenderSkylightGrip(HWND grip, UINT dpi, int slot, POINT pointer, bool hover, bool pressed, int brightness,
                        bool idle);

// The close button's face, width x height pixels at `dpi`: a red rounded square with a white cross.
void PaintCloseButton(HDC dc, int width, int height, UINT dpi);
