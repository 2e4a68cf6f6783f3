#pragma once
// The hand-drawn pieces the toolbar, the persistent logo and the skylight controls share. Each call
// makes its own GDI+ objects on the given device context and releases them before it returns;
// GDI+ must be running.
#include <windows.h>
#include <objbase.h>  // PROPID, which the GDI+ headers need and WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>

#include <string>

namespace reference {

// An opaque GDI+ colour from a COLORREF.
Gdiplus::ARGB C(COLORREF colour);

// Appends a closed rectangle with round corners of the given radius; the corners never grow past half
// the shorter side, so a large radius gives a pill or a circle.
void Path(Gdiplus::GraphicsPath& path, const RECT& rect, float radius);

// A filled rounded rectangle, outlined when borderWidth > 0. A radius of 0 or less gives a plain
// square-cornered fill and no outline at all.
void Card(HDC dc, const RECT& rect, float radius, COLORREF fill, COLORREF border, float borderWidth);

// Text in "Segoe UI" of size pixels, centred vertically in rect. Text of several lines wraps at its
// width; one line never does: it shrinks to fit, to three quarters, and is elided beyond.
void Label(HDC dc, const RECT& rect, const std::wstring& text, float size, COLORREF colour, bool bold,
           bool rightAligned);

// The collapse icon: a window outline with a side panel.
void Sidebar(HDC dc, const RECT& rect);

// The share icon: an arrow rising out of a tray.
void Share(HDC dc, const RECT& rect);

// The blackout button of the skylight controls: a crescent moon in a ring.
void Moon(HDC dc, const RECT& rect);

// A brightness slider showing value (clamped to 0..100); raised for the skylight controls, flat for
// the toolbar.
void Slider(HDC dc, const RECT& rect, int value, bool raised);

}  // namespace reference
