#include "drawing/slider_layout.h"

#include <algorithm>

namespace {

// Truncation towards zero, as the float-to-int conversion of the drawing code does.
int32_t Trunc(float value) { return static_cast<int32_t>(value); }

// A slider narrower than its thumb still needs a travel to divide by.
int64_t Travel(const Rect& slider, int32_t thumbWidth) { return std::max<int64_t>(Width(slider) - thumbWidth, 1); }

}  // namespace

SliderLayout LayoutSlider(const Rect& area, int32_t value, bool raised) {
    const int32_t percent = std::clamp(value, 0, 100);
    const auto width = static_cast<int32_t>(Width(area));
    const auto height = static_cast<int32_t>(Height(area));
    SliderLayout layout;
    const float u = static_cast<float>(height) / (raised ? 30.0f : 22.0f);
    layout.unit = u;
    const int32_t t = std::max(Trunc((raised ? 8.0f : 6.0f) * u), 2);
    const int32_t thumbWidth = Trunc((raised ? 38.0f : 20.0f) * u);
    layout.trackThickness = t;
    layout.thumbWidth = thumbWidth;

    const auto h = static_cast<float>(height);
    layout.track = {area.left, area.top + Trunc((h - static_cast<float>(t)) * 0.5f), area.right,
                    area.top + Trunc((h + static_cast<float>(t)) * 0.5f)};
    layout.trackRadius = static_cast<float>(t) / 2.0f;
    layout.trackBorder = raised ? u : 0.0f;

    const int32_t x = Trunc(static_cast<float>(width - thumbWidth) * static_cast<float>(percent) / 100.0f +
                            static_cast<float>(area.left));
    if (raised) layout.filled = {area.left, layout.track.top, x + thumbWidth / 2, layout.track.bottom};

    const float k = (raised ? 20.0f : 16.0f) * u;
    layout.thumb = {x, area.top + Trunc((h - k) * 0.5f), x + thumbWidth, area.top + Trunc((h + k) * 0.5f)};
    layout.thumbRadius = u * (raised ? 7.0f : 10.0f);
    layout.thumbBorder = raised ? 2.0f * u : 0.0f;

    if (raised) {
        const float centre = static_cast<float>(x) + static_cast<float>(thumbWidth) * 0.5f;
        layout.gripX = {centre - 5.0f * u, centre, centre + 5.0f * u};
        layout.gripTop = static_cast<float>(layout.thumb.top) + 5.0f * u;
        layout.gripBottom = static_cast<float>(layout.thumb.bottom) - 5.0f * u;
        layout.gripWidth = 1.5f * u;
    }
    return layout;
}

int32_t FlatThumbWidth(const Rect& slider) {
    return static_cast<int32_t>(static_cast<float>(Height(slider)) * 0.90909094f);
}

int32_t SliderGrabAt(const Rect& slider, int32_t thumbWidth, int32_t value, int32_t x) {
    const int64_t thumbLeft = slider.left + int64_t{value} * Travel(slider, thumbWidth) / 100;
    if (x < thumbLeft || x >= thumbLeft + thumbWidth) return thumbWidth / 2;
    return ClampToInt32(x - thumbLeft);
}

int32_t SliderValueFor(const Rect& slider, int32_t thumbWidth, int32_t grab, int32_t x) {
    const int64_t value = (int64_t{x} - (int64_t{slider.left} + grab)) * 100 / Travel(slider, thumbWidth);
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 100));
}
