#pragma once
// What the user has set up and what the overlay shows now: one plain record shared by all windows.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/geometry.h"

enum class OverlayMode : int32_t {
    Hidden = 0,
    Shaded = 1,
    Skylights = 2,
    Blackout = 3,
};

enum class SkylightShape : int32_t {
    Rounded = 0,
    Elliptical = 1,
    Rectangle = 2,
    Circle = 3,
    HorizontalStrip = 4,
    VerticalStrip = 5,
};

// A refit kept in memory only: where the file keeps the skylight and where the refit put it.
struct HeldRefit {
    Rect stored;
    Rect shown;
    friend bool operator==(const HeldRefit&, const HeldRefit&) = default;
};

struct SkylightRegion {
    Rect bounds;
    SkylightShape shape = SkylightShape::Rounded;
    int32_t brightness = 100;  // percent; 100 is fully clear
    bool moveEnabled = true;
    std::optional<HeldRefit> held = std::nullopt;  // never saved
    friend bool operator==(const SkylightRegion&, const SkylightRegion&) = default;
};

struct AppState {
    OverlayMode mode = OverlayMode::Shaded;
    SkylightShape creationShape = SkylightShape::Rounded;
    std::vector<SkylightRegion> skylights;
    Rect desktop;
    Rect preview;
    bool previewVisible = false;
    int32_t backgroundBrightness = 0;  // percent; 0 is the darkest
    int32_t textScale = 100;           // percent
    bool hideFromCapture = true;       // the overlay's windows stay out of screenshots and sharing
    std::string revealHotKey;          // as the user wrote it; empty: none given, Ctrl+K
    bool followActiveWindow = false;   // one more hole fitted to the foreground window
    std::optional<Rect> followed;      // that hole now; never saved
    bool stepAsideForFullScreen = true;  // a monitor a full-screen program fills is left alone
    std::optional<Rect> steppedAside;    // that monitor now; never saved
};

// A settings file never holds more; drawing stops at the same count.
inline constexpr std::size_t kMaxSkylights = 1000;
