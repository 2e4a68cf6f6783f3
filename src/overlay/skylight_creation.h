#pragma once
// What the background interaction decides, apart from windows and the clock: the rectangle a drag
// draws, the shape adjustments on release, the shake that leaves the blackout, the idle cursor and
// the overlay's mode transitions.
#include <cstdint>

#include "common/geometry.h"
#include "state/app_state.h"

// A pointer must move this far from the press point before a drag draws anything.
inline constexpr double kDragThreshold = 3.0;

double Distance(Point a, Point b);

// The rectangle of a drag from `press` to `current`: at least 200 x 100 growing away from the press
// point, and fitted onto the press point's monitor.
Rect DrawnRectangle(Point press, Point current, const Rect& monitor);

// The drawn rectangle turned into the outline of `shape` (square circles, strips), kept on the monitor.
Rect AdjustForShape(Rect drawn, SkylightShape shape, const Rect& monitor);

// Whether a drag on the background may add a skylight to `count` of them: a settings file holds at
// most kMaxSkylights, and one more would make the next start refuse the file.
bool MayAddSkylight(size_t count);

// One poll's pointer sample for the shake test; `monitor` identifies the monitor nearest the point.
struct ShakeSample {
    Point point;
    uint64_t time = 0;
    intptr_t monitor = 0;
    bool valid = false;
};

// Whether the move from `previous` to `current` is a shake: on one monitor, 1 to 120 ms apart, at
// least 12 pixels, at 650 pixels per second or faster.
bool IsShake(const ShakeSample& previous, const ShakeSample& current);

enum class IdleCursor { Unchanged, Hidden, Dimmed };

// What an idle pointer over the overlay becomes after `idleMs` without movement.
IdleCursor IdleCursorFor(OverlayMode mode, uint64_t idleMs);

enum class ModeEvent {
    Reveal,          // Ctrl+K, the tray, a second start, a shape chosen from the menu
    FullBlack,       // the moon button
    Escape,          // Esc or the tray's hide command
    Shake,           // leaving the blackout
    DragReleased,    // a drag on the background created a skylight
    PressEnded,      // a press released without a drag, or cancelled
    SkylightClosed,  // a skylight was closed
};

// The overlay's mode after an event. `modeBeforePress` is the mode a background press started in;
// `skylights` is the number of skylights once the event has taken effect.
OverlayMode NextMode(OverlayMode current, ModeEvent event, OverlayMode modeBeforePress, size_t skylights);
