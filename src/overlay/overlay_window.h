#pragma once
// One black, layered, topmost window over the whole virtual screen with a clear hole cut for every
// skylight. It keeps the shared state, the skylight windows and the settings file in step.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "common/handles.h"
#include "overlay/focus_follower.h"
#include "overlay/skylight_creation.h"
#include "overlay/skylight_window.h"
#include "state/app_state.h"

inline constexpr wchar_t kOverlayWindowClass[] = L"Lumenfold.Windows.Overlay";
inline constexpr UINT CloseSkylightMessage = WM_APP + 31;
// Private to the overlay: shows the save-failure box outside whatever handler failed to save.
inline constexpr UINT ShowSaveErrorMessage = WM_APP + 32;

// The region of a skylight's shape over r.
UniqueRegion HoleRegion(SkylightShape shape, const Rect& r);

// Paints the invalid part of a window black: the overlay and each skylight's own layer are black,
// and their opacity alone sets how dark they make the screen.
void PaintBlack(HWND window);

// Gives the window this region unless it has an equal one already; false when setting it failed.
bool SetRegionIfChanged(HWND window, UniqueRegion region);

class OverlayWindow {
public:
    OverlayWindow() = default;
    OverlayWindow(const OverlayWindow&) = delete;
    OverlayWindow& operator=(const OverlayWindow&) = delete;
    ~OverlayWindow();

    bool Create(HINSTANCE instance, AppState* state);
    // Also called when a monitor is stepped aside from or back to, with the last value given; at once when
    // one is stepped aside already (a full-screen program in front at the start).
    void SetVisibilityHandler(std::function<void(bool)> handler);
    void SetInteractionHandler(std::function<void(bool)> handler) { interactionHandler = std::move(handler); }
    void SetControlsRequestedHandler(std::function<void()> handler) { controlsRequestedHandler = std::move(handler); }
    // Called about every 100 ms while the overlay is shown, from its own mouse poll: one timer wakes the process.
    void SetTickHandler(std::function<void(POINT)> handler) { tickHandler = std::move(handler); }

    // Covers every display again and refits the skylights (see RefitSkylights); true when a place
    // the file keeps changed.
    bool UpdateDisplays(bool held);
    bool EnsureDefaultSkylight();
    void Refresh();
    void ApplyWindowRegion();
    void Persist();
    void SetBackgroundBrightness(int32_t value);
    void SetBlackoutCursorBrightness(int32_t value);
    // Every window of the overlay leaves screenshots and screen sharing (true) or shows in them; saved.
    void SetCaptureExclusion(bool hide);
    // One more hole, without controls, follows the foreground window (true) or goes; saved.
    void SetFollowActiveWindow(bool follow);
    // While a full-screen program fills a monitor, the overlay and its skylights leave it (true); saved.
    void SetStepAsideForFullScreen(bool stepAside);
    void CloseRegion(size_t index);

    // Mode commands and the background press.
    void RevealFromShortcut();
    void ResetForCreation();
    void BeginCreating(SkylightShape shape);
    void ShowFullBlack();
    void ExitLikeEscape();
    void CancelPreview();
    void BeginBackgroundPress(POINT point);
    void MoveBackgroundPointer(POINT point);
    void EndBackgroundPress(POINT point);
    void FinishPreview(bool create, POINT point);
    void PollMouse();

    HWND Window() const { return window; }
    HINSTANCE Instance() const { return instance; }
    AppState& State() const { return *state; }
    // Whether one more skylight may get its bar, close button and grips now.
    bool MayDecorate() const;
    // A skylight window could not be created: said once, the skylight still dims and cuts its hole.
    void NoteMissingWindows();
    // A drag of skylight `index` begins (true) or ends (false).
    void NotifyInteraction(bool active, size_t index);
    const std::vector<std::unique_ptr<SkylightWindow>>& SkylightWindows() const { return skylightWindows; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool HolesAllowed() const;
    void RestartFollower();  // hooks the window events while either choice needs them
    void Refit(bool held);   // after a display change, or kept in memory only after sleep, lock and the like
    void ApplyOpacity(int32_t opacity);
    void SaveWithPolicy();
    void DestroySkylightWindows();
    void CallVisibility(bool visible);
    void EndCancelledPress(bool wasPressing);
    void RestoreForeground();
    void ShowIdleCursor(POINT point, uint64_t now);
    void DecorateUnderPointer(POINT point, uint64_t now);
    void Poll(bool resting);  // starts the mouse poll or changes its pace
    void SetPollPeriod(UINT milliseconds);

    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND previousForeground = nullptr;
    AppState* state = nullptr;
    std::vector<std::unique_ptr<SkylightWindow>> skylightWindows;
    std::function<void(bool)> visibilityHandler;
    std::function<void()> controlsRequestedHandler;
    std::function<void(bool)> interactionHandler;
    std::function<void(POINT)> tickHandler;
    uint64_t lastTick = 0;
    bool pressing = false;
    bool previewMoved = false;
    bool releasingCapture = false;
    bool pressDimmed = false;
    bool saveErrorShown = false;
    bool escapeRegistered = false;
    UINT pollPeriod = 0;  // of the mouse poll's timer; 0 while it is stopped
    bool missingWindowsLogged = false;
    OverlayMode modeBeforePress = OverlayMode::Hidden;
    int32_t blackoutCursorBrightness = 30;
    POINT pressPoint{};
    POINT lastCursor{};
    uint64_t lastActivity = 0;
    IdleCursor idleCursorSet = IdleCursor::Unchanged;  // the idle pointer decided on for this rest
    ShakeSample shake;
    struct Hole {
        Rect bounds;
        SkylightShape shape;
        friend bool operator==(const Hole&, const Hole&) = default;
    };
    std::vector<Hole> cutHoles;  // the desktop, then the holes the window's region was last cut for
    bool dragging = false;       // a skylight is being dragged
    size_t draggedSkylight = 0;
    UniqueRegion otherHoles;     // during a drag: the desktop without the other skylights' holes
    std::vector<Hole> otherHolesKey;
    FocusFollower follower;
    bool toolbarWanted = true;  // as last told through the visibility handler
};
