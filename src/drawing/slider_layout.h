#pragma once
// Where the parts of a brightness slider go, apart from drawing them. Two looks share the arithmetic:
// the toolbar's flat slider and the skylight controls' raised one.
#include <array>
#include <cstdint>

#include "common/geometry.h"

struct SliderLayout {
    float unit = 0;            // the height divided by 22 (flat) or 30 (raised)
    int32_t trackThickness = 0;
    int32_t thumbWidth = 0;
    Rect track;                // full width, centred vertically
    float trackRadius = 0;
    float trackBorder = 0;     // 0 for no outline
    Rect filled;               // raised only: the track from its left end to the thumb's centre
    Rect thumb;
    float thumbRadius = 0;
    float thumbBorder = 0;     // 0 for no outline
    std::array<float, 3> gripX{};  // raised only: three vertical grip lines on the thumb
    float gripTop = 0;
    float gripBottom = 0;
    float gripWidth = 0;
};

// The layout of a slider filling area for a value in percent, clamped to 0..100.
SliderLayout LayoutSlider(const Rect& area, int32_t value, bool raised);

// The flat slider: its thumb is 20/22 of the track height wide.
int32_t FlatThumbWidth(const Rect& slider);

// Where a press at x grabs a thumb `thumbWidth` wide shown at `value`: the offset inside the thumb,
// or half a thumb when the press misses it (so the thumb's centre jumps under the pointer).
int32_t SliderGrabAt(const Rect& slider, int32_t thumbWidth, int32_t value, int32_t x);

// The value (0..100) for the pointer at x when the thumb was grabbed at `grab`.
int32_t SliderValueFor(const Rect& slider, int32_t thumbWidth, int32_t grab, int32_t x);
