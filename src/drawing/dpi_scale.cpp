#include "drawing/dpi_scale.h"

#include <limits>

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t product = int64_t{a} * b;
    const int64_t half = (c < 0 ? -int64_t{c} : c) / 2;
    // Rounds the magnitude, so that -2.5 becomes -3 as 2.5 becomes 3.
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -int64_t{c} : c);
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) return -1;
    return static_cast<int32_t>(result);
}

int32_t EffectiveDpi(int32_t windowDpi, int32_t textScale) { return MulDivRounded(windowDpi, textScale, 100); }
