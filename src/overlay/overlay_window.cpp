#include "overlay/overlay_window.h"

#include <wtsapi32.h>

#include <algorithm>
#include <utility>
#include <string>

#include "common/activity_log.h"
#include "common/capture_exclusion.h"
#include "common/clipboard.h"
#include "common/handles.h"
#include "common/shell_services.h"
#include "common/win_geometry.h"
#include "common/window_procedure.h"
#include "overlay/focus_rules.h"
#include "overlay/overlay_geometry.h"
#include "state/settings_file.h"
#include "state/settings_format.h"

namespace {

constexpr int kEscapeHotKey = 1;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 16;
// Wine wakes the whole process for every tick: once every idle rule has had its turn, a resting
// pointer is looked for less often, and the first movement brings the 16 ms polls back.
constexpr UINT kRestingPollMs = 100;

}  // namespace

UniqueRegion HoleRegion(SkylightShape shape, const Rect& r) {
    switch (OutlineOf(shape)) {
        case HoleOutline::Ellipse: return UniqueRegion(CreateEllipticRgn(r.left, r.top, r.right, r.bottom));
        case HoleOutline::Rectangle: return UniqueRegion(CreateRectRgn(r.left, r.top, r.right, r.bottom));
        case HoleOutline::RoundedRectangle:
            return UniqueRegion(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, kHoleCornerDiameter,
                                                   kHoleCornerDiameter));
    }
    return {};
}

void PaintBlack(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window, &paint);
}

bool SetRegionIfChanged(HWND window, UniqueRegion region) {
    // Setting a region is costly (the window is reshaped and repainted), and most refreshes leave it
    // as it was.
    UniqueRegion current(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, current.get()) != ERROR && EqualRgn(current.get(), region.get())) return true;
    // On success the system owns the region.
    if (!SetWindowRgn(window, region.get(), TRUE)) return false;
    region.release();
    return true;
}

OverlayWindow::~OverlayWindow() {
    follower.Stop();
    DestroySkylightWindows();
    if (window) DestroyWindow(window);
}

bool OverlayWindow::Create(HINSTANCE instanceHandle, AppState* sharedState) {
    instance = instanceHandle;
    state = sharedState;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kOverlayWindowClass;
    RegisterClassW(&windowClass);

    // Kept in memory only, as after a sign-in: a monitor not yet there must not move the stored layout.
    UpdateDisplays(true);
    const Rect& d = state->desktop;
    CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayWindowClass,
                    L"Lumenfold background", WS_POPUP, d.left, d.top, static_cast<int>(Width(d)),
                    static_cast<int>(Height(d)), nullptr, nullptr, instance, this);
    if (!window) return false;
    if (state->hideFromCapture) ExcludeFromCapture(window, true);
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);

    lastActivity = GetTickCount64();
    const bool added = EnsureDefaultSkylight();
    state->mode = OverlayMode::Skylights;
    RestartFollower();  // which refreshes
    if (added) SaveWithPolicy();
    LogActivity("startup monitors/layout regions=" + std::to_string(state->skylights.size()));
    return true;
}

bool OverlayWindow::UpdateDisplays(bool held) {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    state->desktop = {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return RefitSkylights(state->skylights, [](const Rect& r) {
        return ToRect(FitOnMonitor(ToRECT(r), ToPOINT(Centre(r))));
    }, held);
}

void OverlayWindow::Refit(bool held) {
    const bool wasPressing = pressing;
    CancelPreview();
    const bool moved = UpdateDisplays(held);
    LogActivity(held ? "displays refit, kept in memory" : "displays refit");
    RestartFollower();  // the monitors it knows changed too
    if (moved) SaveWithPolicy();
    EndCancelledPress(wasPressing);
}

bool OverlayWindow::EnsureDefaultSkylight() {
    if (!state->skylights.empty()) return false;
    SkylightRegion skylight;
    skylight.bounds = DefaultSkylightBounds(ToRect(MonitorBounds({0, 0}, false)));
    skylight.shape = SkylightShape::Rounded;
    skylight.brightness = 80;
    skylight.moveEnabled = false;
    state->skylights.push_back(skylight);
    return true;
}

bool OverlayWindow::HolesAllowed() const { return !pressDimmed && state->mode != OverlayMode::Blackout; }

void OverlayWindow::Refresh() {
    if (!window) return;
    const OverlayMode mode = state->mode;
    // A hidden overlay does no periodic work: a tray utility spends most of the day hidden.
    if (mode != OverlayMode::Hidden && !pollPeriod) {
        Poll(false);
        lastCursor = CursorPosition();
    } else if (mode == OverlayMode::Hidden) {
        SetPollPeriod(0);
    }
    // The mode or the windows under a resting pointer may have changed.
    idleCursorSet = IdleCursor::Unchanged;
    if (mode != OverlayMode::Hidden) {
        const Rect& d = state->desktop;
        RECT placedAt{};
        GetWindowRect(window, &placedAt);
        // Raised only when it is shown or moved: raising it again would cover every skylight's own
        // windows and make each of them climb back above it, on every refresh.
        if (!IsWindowVisible(window) || ToRect(placedAt) != d) {
            SetWindowPos(window, HWND_TOPMOST, d.left, d.top, static_cast<int>(Width(d)), static_cast<int>(Height(d)),
                         SWP_NOACTIVATE | SWP_SHOWWINDOW);
            for (auto& skylight : skylightWindows) skylight->PlaceAgain();
        }
        // Retried on every refresh while another program owns Esc.
        if (!escapeRegistered) escapeRegistered = RegisterHotKey(window, kEscapeHotKey, MOD_NOREPEAT, VK_ESCAPE);
        ApplyOpacity(OverlayOpacity(state->backgroundBrightness, pressDimmed, mode == OverlayMode::Blackout));
        ApplyWindowRegion();
    } else {
        ShowWindow(window, SW_HIDE);
        if (escapeRegistered) {
            UnregisterHotKey(window, kEscapeHotKey);
            escapeRegistered = false;
        }
    }
    while (skylightWindows.size() < state->skylights.size())
        skylightWindows.push_back(std::make_unique<SkylightWindow>(this, skylightWindows.size()));
    while (skylightWindows.size() > state->skylights.size()) skylightWindows.pop_back();
    const bool show = mode != OverlayMode::Hidden && HolesAllowed();
    for (size_t i = 0; i < skylightWindows.size(); ++i) {
        const bool aside = Contains(state->steppedAside.value_or(Rect{}), Centre(state->skylights[i].bounds));
        skylightWindows[i]->Update(show && !aside);
    }
    InvalidateRect(window, nullptr, FALSE);
}

void OverlayWindow::ApplyWindowRegion() {
    const Rect& d = state->desktop;
    // Most refreshes leave the holes as they were: comparing their outlines is cheap, building the
    // region of every hole only to compare it is not.
    std::vector<Hole> wanted{{d, SkylightShape::Rectangle}};
    if (HolesAllowed()) {
        for (const SkylightRegion& skylight : state->skylights) wanted.push_back({skylight.bounds, skylight.shape});
        if (state->previewVisible) wanted.push_back({state->preview, state->creationShape});
        if (state->followed) wanted.push_back({*state->followed, SkylightShape::Rounded});
    }
    if (state->steppedAside) wanted.push_back({*state->steppedAside, SkylightShape::Rectangle});
    if (wanted == cutHoles) return;
    // Window coordinates: the desktop's own corner is (0, 0).
    auto cut = [&](HRGN region, const Hole& hole) {
        UniqueRegion shape = HoleRegion(hole.shape, Offset(hole.bounds, -int64_t{d.left}, -int64_t{d.top}));
        CombineRgn(region, region, shape.get(), RGN_DIFF);
    };
    auto cutAll = [&](const std::vector<Hole>& holes) {
        UniqueRegion region(CreateRectRgn(0, 0, static_cast<int>(Width(d)), static_cast<int>(Height(d))));
        for (size_t i = 1; i < holes.size(); ++i) cut(region.get(), holes[i]);
        return region;
    };
    UniqueRegion region;
    const size_t moving = draggedSkylight + 1;  // its place in wanted, after the desktop
    if (dragging && HolesAllowed() && moving < wanted.size()) {
        // While a skylight is dragged the other holes stay put: they are cut once, and each step
        // only cuts the moving one out of a copy.
        std::vector<Hole> others = wanted;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(moving));
        if (!otherHoles || others != otherHolesKey) {
            otherHoles = cutAll(others);
            otherHolesKey = std::move(others);
        }
        region.reset(CreateRectRgn(0, 0, 0, 0));
        CombineRgn(region.get(), otherHoles.get(), nullptr, RGN_COPY);
        cut(region.get(), wanted[moving]);
    } else {
        region = cutAll(wanted);
    }
    // The holes differ from the ones last cut, so the region does too: no need to compare them. On
    // success the system owns the region.
    if (SetWindowRgn(window, region.get(), TRUE)) {
        region.release();
        cutHoles = std::move(wanted);
    } else {
        cutHoles.clear();
    }
}

void OverlayWindow::NotifyInteraction(bool active, size_t index) {
    dragging = active;
    draggedSkylight = index;
    if (!active) {
        otherHoles.reset();
        otherHolesKey.clear();
    }
    if (interactionHandler) interactionHandler(active);
}

void OverlayWindow::ApplyOpacity(int32_t opacity) {
    BYTE applied = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(window, nullptr, &applied, &flags) && (flags & LWA_ALPHA) && applied == opacity)
        return;
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(opacity), LWA_ALPHA);
}

void OverlayWindow::SaveWithPolicy() {
    if (SaveSettings(*state) || saveErrorShown) return;
    saveErrorShown = true;
    // Shown from a posted message: a modal box here would run a message loop inside whichever
    // handler saved, and that loop may destroy the very window whose handler is on the stack.
    if (window) PostMessageW(window, ShowSaveErrorMessage, 0, 0);
}

void OverlayWindow::Persist() { SaveWithPolicy(); }

void OverlayWindow::SetBackgroundBrightness(int32_t value) {
    value = std::clamp(value, 0, 100);
    if (value == state->backgroundBrightness) return;
    state->backgroundBrightness = value;
    if (window && HolesAllowed()) ApplyOpacity(OverlayOpacity(value, false, false));
    SaveWithPolicy();
}

void OverlayWindow::SetBlackoutCursorBrightness(int32_t value) { blackoutCursorBrightness = std::clamp(value, 5, 100); }

void OverlayWindow::SetCaptureExclusion(bool hide) {
    state->hideFromCapture = hide;
    ExcludeFromCapture(window, hide);
    for (auto& skylight : skylightWindows) skylight->ApplyCaptureExclusion(hide);
    SaveWithPolicy();
}

void OverlayWindow::SetVisibilityHandler(std::function<void(bool)> handler) {
    visibilityHandler = std::move(handler);
    if (visibilityHandler && state && state->steppedAside) visibilityHandler(toolbarWanted);
}

void OverlayWindow::RestartFollower() {
    const std::optional<Rect> wasAside = state->steppedAside;
    follower.Stop();
    state->followed.reset();
    state->steppedAside.reset();
    if (state->followActiveWindow || state->stepAsideForFullScreen) {
        follower.Start([this](std::optional<Rect> followed, std::optional<Rect> fullScreen) {
            if (!state->stepAsideForFullScreen) fullScreen.reset();
            const bool monitorChanged = state->steppedAside != fullScreen;
            state->followed = state->followActiveWindow ? followed : std::nullopt;
            state->steppedAside = fullScreen;
            // The skylights and the toolbar on that monitor hide or come back.
            if (monitorChanged) {
                Refresh();
                if (visibilityHandler) visibilityHandler(toolbarWanted);
            } else if (state->mode != OverlayMode::Hidden) ApplyWindowRegion();
        });
    }
    // Stepping aside during the start went through the callback, which refreshed and told the toolbar.
    if (state->steppedAside) return;
    Refresh();
    if (wasAside && visibilityHandler) visibilityHandler(toolbarWanted);
}

void OverlayWindow::SetFollowActiveWindow(bool follow) {
    state->followActiveWindow = follow;
    RestartFollower();
    SaveWithPolicy();
}

void OverlayWindow::SetStepAsideForFullScreen(bool stepAside) {
    state->stepAsideForFullScreen = stepAside;
    RestartFollower();
    SaveWithPolicy();
}

void OverlayWindow::DestroySkylightWindows() {
    while (!skylightWindows.empty()) skylightWindows.pop_back();
}

void OverlayWindow::CloseRegion(size_t index) {
    if (index >= state->skylights.size()) return;
    if (dragging && draggedSkylight == index) NotifyInteraction(false, index);
    if (dragging && draggedSkylight > index) --draggedSkylight;
    // Only its own windows go: recreating every skylight's would take seconds in a long list.
    if (index < skylightWindows.size())
        skylightWindows.erase(skylightWindows.begin() + static_cast<std::ptrdiff_t>(index));
    for (size_t i = index; i < skylightWindows.size(); ++i) skylightWindows[i]->Renumber(i);
    state->skylights.erase(state->skylights.begin() + static_cast<std::ptrdiff_t>(index));
    // A list short enough to wear every skylight's parts no longer passes them on with the pointer.
    if (skylightWindows.size() <= kDecoratedSkylights)
        for (auto& skylight : skylightWindows)
            if (!skylight->Decorated()) skylight->PlaceAgain();
    state->mode = state->skylights.empty() ? OverlayMode::Shaded : OverlayMode::Skylights;
    Refresh();
    SaveWithPolicy();
}

void OverlayWindow::Poll(bool resting) { SetPollPeriod(resting ? kRestingPollMs : kPollMs); }

void OverlayWindow::SetPollPeriod(UINT milliseconds) {
    if (milliseconds == pollPeriod) return;
    if (!milliseconds) {
        if (KillTimer(window, kPollTimer)) pollPeriod = 0;
    } else if (SetTimer(window, kPollTimer, milliseconds, nullptr)) {
        pollPeriod = milliseconds;
    }
}

LRESULT CALLBACK OverlayWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ObjectWindowProc<OverlayWindow>(
        hwnd, message, wParam, lParam, [hwnd](OverlayWindow& self) { self.window = hwnd; },
        [&](OverlayWindow& self) { return self.HandleMessage(message, wParam, lParam); });
}

LRESULT OverlayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            KillTimer(window, kPollTimer);
            pollPeriod = 0;
            if (escapeRegistered) {
                UnregisterHotKey(window, kEscapeHotKey);
                escapeRegistered = false;
            }
            WTSUnRegisterSessionNotification(window);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window = nullptr;
            return 0;
        case WM_PAINT: PaintBlack(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_CANCELMODE: {
            const bool wasPressing = pressing;
            CancelPreview();
            Refresh();
            EndCancelledPress(wasPressing);
            return 0;
        }
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            idleCursorSet = IdleCursor::Unchanged;
            if (pollPeriod) Poll(false);  // the pointer is moving over the overlay
            return TRUE;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_DISPLAYCHANGE: Refit(false); return 0;
        // A monitor may be missing for a while after these: the refit is kept in memory only.
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) Refit(true);
            return TRUE;
        case WM_WTSSESSION_CHANGE:
            if (wParam == WTS_SESSION_UNLOCK || wParam == WTS_CONSOLE_CONNECT || wParam == WTS_REMOTE_CONNECT)
                Refit(true);
            return 0;
        case WM_DPICHANGED: Refit(true); return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETWORKAREA) Refit(true);
            return 0;
        case WM_TIMER:
            PollMouse();
            return 0;
        case WM_MOUSEMOVE:
            MoveBackgroundPointer(CursorPosition());
            return 0;
        case WM_LBUTTONDOWN:
            BeginBackgroundPress(CursorPosition());
            return 0;
        case WM_LBUTTONUP:
            EndBackgroundPress(CursorPosition());
            return 0;
        case WM_CAPTURECHANGED:
            if (pressing && !releasingCapture) {
                CancelPreview();
                Refresh();
                EndCancelledPress(true);
            }
            return 0;
        case WM_HOTKEY:
            if (wParam == kEscapeHotKey) ExitLikeEscape();
            return 0;
        case CloseSkylightMessage:
            CloseRegion(static_cast<size_t>(wParam));
            return 0;
        case ShowSaveErrorMessage:
            CopyableError(window, L"未能保存天窗设置，现有数据未删除。 / Could not save skylight settings; existing data is retained.");
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
