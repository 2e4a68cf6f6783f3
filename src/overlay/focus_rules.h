#pragma once
// Which window the overlay follows and when it steps aside, apart from the window queries.
#include <optional>
#include <vector>

#include "common/geometry.h"

// What the overlay knows of the foreground window.
struct ForegroundFacts {
    bool ours = false;       // one of Lumenfold's own windows
    bool shell = false;      // the desktop or the taskbar
    bool cloaked = false;    // hidden by the window manager although "visible"
    bool visible = true;
    bool minimised = false;
    std::optional<Rect> frame;  // the visible frame, when the window manager reports one
    Rect window;                // the window rectangle
};

// Whether the foreground window takes the focus over from the one followed so far: never our own
// windows, the shell or cloaked ones (the focus stays where it was).
bool MayBecomeFocus(const ForegroundFacts& facts);

// The hole that follows the foreground window: its visible frame, else its rectangle. None for our
// own windows, the shell, hidden, cloaked or minimised windows and empty rectangles.
std::optional<Rect> FollowedRect(const ForegroundFacts& facts);

// The monitor a foreground window fills, if any: the monitor holding most of it, covered to the
// last pixel (a window one pixel short is an ordinary window). Never for our own windows.
std::optional<Rect> FullScreenMonitor(const ForegroundFacts& facts, const std::vector<Rect>& monitors);
