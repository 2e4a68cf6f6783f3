#pragma once
// The overlay's arithmetic, apart from its window: opacity, the default skylight and hole outlines.
#include <cstdint>

#include "common/geometry.h"
#include "state/app_state.h"

// Layered-window alpha for a brightness in percent: (100 - p) * 255 / 100, the input clamped to 0..100.
int32_t OpacityForBrightness(int32_t brightness);

// The overlay's alpha: half while a fresh press peeks through, opaque in the blackout, otherwise the
// background brightness, but never fully transparent (a window of alpha 0 would stop taking clicks).
int32_t OverlayOpacity(int32_t backgroundBrightness, bool pressDimmed, bool blackout);

// Half as wide and half as high as the monitor, centred on it.
Rect DefaultSkylightBounds(const Rect& monitor);

enum class HoleOutline { RoundedRectangle, Ellipse, Rectangle };

HoleOutline OutlineOf(SkylightShape shape);

// Corner ellipse of rounded holes, in raw pixels at every DPI.
inline constexpr int kHoleCornerDiameter = 24;

// A rectangle moved by (dx, dy), kept inside the 32-bit range.
Rect Offset(const Rect& rect, int64_t dx, int64_t dy);
