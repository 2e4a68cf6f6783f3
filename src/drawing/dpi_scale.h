#pragma once
// Pixel sizes for a DPI, the same arithmetic in every window.
#include <cstdint>

// Windows' MulDiv: a × b / c rounded half away from zero, -1 for c = 0 or a result out of range.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// The DPI a window draws at: its monitor's DPI grown by the interface size (percent).
int32_t EffectiveDpi(int32_t windowDpi, int32_t textScale);
