#pragma once
// The faint pointer shown while every display is black.
#include <windows.h>

#include <cstdint>

// A 32 x 32 white arrow with alpha brightness * 255 / 100 (brightness clamped to 5..100), hot spot
// (2, 2); null on failure. The last cursor built is kept and returned again for the same brightness;
// asking for another brightness destroys it. The caller does not own the handle.
HCURSOR DimmedCursor(int32_t brightness);
