// The overlay between creation and destruction: mode commands, the press and drag on the dark
// background that draws new skylights, and the 16 ms mouse poll.
#include <algorithm>
#include <string>

#include "common/activity_log.h"
#include "common/shell_services.h"
#include "common/win_geometry.h"
#include "overlay/dimmed_cursor.h"
#include "overlay/overlay_window.h"

namespace {

Rect MonitorOf(POINT point) { return ToRect(MonitorBounds(point, false)); }

}  // namespace

void OverlayWindow::CallVisibility(bool visible) {
    toolbarWanted = visible;
    if (visibilityHandler) visibilityHandler(visible);
}

void OverlayWindow::CancelPreview() {
    if (!pressing && !previewMoved) return;
    pressing = false;
    previewMoved = false;
    pressDimmed = false;
    state->previewVisible = false;
    state->mode = NextMode(state->mode, ModeEvent::PressEnded, modeBeforePress, state->skylights.size());
    shake.valid = false;
    lastActivity = GetTickCount64();
    releasingCapture = true;
    if (window && GetCapture() == window) ReleaseCapture();
    releasingCapture = false;
}

// A mode command that cuts a press short gives the foreground back (RestoreForeground does nothing
// without a press); the toolbar follows the command's own visibility call.
void OverlayWindow::RevealFromShortcut() {
    CancelPreview();
    RestoreForeground();
    const bool added = EnsureDefaultSkylight();
    state->mode = NextMode(state->mode, ModeEvent::Reveal, modeBeforePress, state->skylights.size());
    Refresh();
    if (added) SaveWithPolicy();
    CallVisibility(true);
    if (controlsRequestedHandler) controlsRequestedHandler();
}

void OverlayWindow::ResetForCreation() { RevealFromShortcut(); }

void OverlayWindow::BeginCreating(SkylightShape shape) {
    state->creationShape = shape;
    RevealFromShortcut();
}

void OverlayWindow::ShowFullBlack() {
    CancelPreview();
    RestoreForeground();
    state->mode = NextMode(state->mode, ModeEvent::FullBlack, modeBeforePress, state->skylights.size());
    LogActivity("blackout all displays");
    shake.valid = false;
    lastActivity = GetTickCount64();
    Refresh();
    CallVisibility(false);
}

void OverlayWindow::ExitLikeEscape() {
    CancelPreview();
    RestoreForeground();
    state->mode = NextMode(state->mode, ModeEvent::Escape, modeBeforePress, state->skylights.size());
    LogActivity("overlay hidden");
    Refresh();
    CallVisibility(false);
    SaveWithPolicy();
}

void OverlayWindow::BeginBackgroundPress(POINT point) {
    if (pressing) return;
    pressPoint = point;
    pressDimmed = true;
    pressing = true;
    previewMoved = false;
    modeBeforePress = state->mode;
    previousForeground = GetForegroundWindow();
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetCapture(window);
    CallVisibility(false);
    LogActivity("background preview begin 50 percent");
    Refresh();
}

void OverlayWindow::MoveBackgroundPointer(POINT point) {
    if (!pressing || modeBeforePress == OverlayMode::Blackout) return;
    if (Distance(ToPoint(pressPoint), ToPoint(point)) < kDragThreshold) return;
    pressDimmed = false;
    state->previewVisible = true;
    previewMoved = true;
    state->preview = DrawnRectangle(ToPoint(pressPoint), ToPoint(point), MonitorOf(pressPoint));
    Refresh();
}

void OverlayWindow::EndBackgroundPress(POINT point) {
    if (!pressing) return;
    const bool atLimit = !MayAddSkylight(state->skylights.size());
    const bool create = previewMoved && !atLimit;
    if (previewMoved && atLimit) LogActivity("skylight limit reached");
    FinishPreview(create, point);
    LogActivity(create ? "skylight created regions=" + std::to_string(state->skylights.size())
                       : std::string("background preview end"));
    RestoreForeground();
}

// The window the user was in before the press gets the keyboard back, unless it closed meanwhile.
void OverlayWindow::RestoreForeground() {
    if (previousForeground && IsWindow(previousForeground)) SetForegroundWindow(previousForeground);
    previousForeground = nullptr;
}

void OverlayWindow::FinishPreview(bool create, POINT point) {
    CancelPreview();
    if (create) {
        const Rect monitor = MonitorOf(pressPoint);
        const Rect drawn = DrawnRectangle(ToPoint(pressPoint), ToPoint(point), monitor);
        SkylightRegion skylight;
        skylight.bounds = AdjustForShape(drawn, state->creationShape, monitor);
        skylight.shape = state->creationShape;
        skylight.brightness = 100;
        skylight.moveEnabled = true;
        state->skylights.push_back(skylight);
        state->mode = NextMode(state->mode, ModeEvent::DragReleased, modeBeforePress, state->skylights.size());
        SaveWithPolicy();
    }
    Refresh();
    CallVisibility(state->mode != OverlayMode::Blackout && state->mode != OverlayMode::Hidden);
}

// A press cut short by the system (cancel mode, display change, a lost capture) gives back what the
// press took: the controls and the foreground.
void OverlayWindow::EndCancelledPress(bool wasPressing) {
    if (!wasPressing) return;
    CallVisibility(state->mode != OverlayMode::Blackout);
    RestoreForeground();
}

void OverlayWindow::PollMouse() {
    const POINT point = CursorPosition();
    const uint64_t now = GetTickCount64();
    const bool moved = point.x != lastCursor.x || point.y != lastCursor.y;
    if (moved) DecorateUnderPointer(point, now);
    for (auto& skylight : skylightWindows) skylight->UpdateControlsVisibility(moved, now);
    if (moved) {
        lastActivity = now;
        idleCursorSet = IdleCursor::Unchanged;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    bool left = false;
    if (state->mode == OverlayMode::Blackout && !pressing) {
        if (shake.valid && shake.point == ToPoint(point)) {
            shake.time = now;  // still: no shake, and the monitor is the one already sampled
        } else {
            const ShakeSample sample{ToPoint(point), now,
                                     reinterpret_cast<intptr_t>(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)),
                                     true};
            left = IsShake(shake, sample);
            shake = sample;
        }
        if (left) {
            state->mode = NextMode(state->mode, ModeEvent::Shake, modeBeforePress, state->skylights.size());
            Refresh();
            CallVisibility(true);
        }
    }
    if (!left && state->mode != OverlayMode::Blackout) shake.valid = false;
    lastCursor = point;
    ShowIdleCursor(point, now);
    // The blackout keeps the 16 ms polls its shake is measured in.
    const bool resting = state->mode != OverlayMode::Blackout && !pressing && now - lastActivity > 5000;
    if (pollPeriod) Poll(resting);
    if (tickHandler && now - lastTick >= 90) {  // a resting tick may come a little early
        lastTick = now;
        tickHandler(point);
    }
}

bool OverlayWindow::MayDecorate() const {
    return std::ranges::count_if(skylightWindows, [](const auto& s) { return s->Decorated(); }) <
           static_cast<std::ptrdiff_t>(kDecoratedSkylights);
}

void OverlayWindow::NoteMissingWindows() {
    if (missingWindowsLogged) return;
    missingWindowsLogged = true;
    LogActivity("skylight windows could not be created");
}

// In a list longer than the decorated few, the skylight the pointer comes to gets its parts from
// the one left longest ago.
void OverlayWindow::DecorateUnderPointer(POINT point, uint64_t now) {
    if (skylightWindows.size() <= kDecoratedSkylights || !HolesAllowed()) return;
    // Near enough to reach its bar or grips; the last one is drawn on top.
    const int reach = MulDiv(64, static_cast<int>(GetDpiForWindow(window)), 96);
    SkylightWindow* target = nullptr;
    for (size_t i = skylightWindows.size(); i-- > 0 && !target;) {
        RECT zone = ToRECT(state->skylights[i].bounds);
        InflateRect(&zone, reach, reach);
        if (PtInRect(&zone, point)) target = skylightWindows[i].get();
    }
    if (!target) return;
    target->NoteHovered(now);
    if (target->Decorated() || !target->Shown()) return;
    if (!MayDecorate()) {
        SkylightWindow* oldest = nullptr;
        for (const auto& s : skylightWindows)
            if (s->Decorated() && !s->Busy() && (!oldest || s->LastHovered() < oldest->LastHovered()))
                oldest = s.get();
        if (!oldest) return;
        oldest->Undecorate();
    }
    target->Decorate();
    target->PlaceAgain();
    target->Update(true);
}

void OverlayWindow::ShowIdleCursor(POINT point, uint64_t now) {
    // Decided once a rest: the window lookups below cost a round trip to the window server each.
    const IdleCursor idle = IdleCursorFor(state->mode, now - lastActivity);
    if (idle == IdleCursor::Unchanged || idle == idleCursorSet) return;
    if (GetCapture()) return;  // a press held still: asked again at the next poll
    idleCursorSet = idle;
    DWORD owner = 0;
    GetWindowThreadProcessId(WindowFromPoint(point), &owner);
    if (owner != GetCurrentProcessId()) return;
    SetCursor(idle == IdleCursor::Dimmed ? DimmedCursor(blackoutCursorBrightness) : nullptr);
}
