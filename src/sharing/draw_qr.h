#pragma once
// The QR code the toolbar and the share window show, drawn with plain GDI.
#include <windows.h>

#include <string>

// Fills the rectangle white and draws the QR code of a UTF-8 text in it, centred, with a quiet zone
// of four modules. A text too long for any QR code gets a notice instead; a rectangle too small for
// one pixel a module stays white.
void DrawQR(HDC hdc, const RECT& rect, const std::string& text);
