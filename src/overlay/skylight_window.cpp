#include "overlay/skylight_window.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "common/activity_log.h"
#include "common/capture_exclusion.h"
#include "common/shell_services.h"
#include "common/win_geometry.h"
#include "common/window_procedure.h"
#include "drawing/buffered_paint.h"
#include "drawing/reference_drawing.h"
#include "overlay/overlay_geometry.h"
#include "overlay/overlay_window.h"
#include "overlay/skylight_layout.h"
#include "overlay/skylight_paint.h"

namespace {

constexpr UINT_PTR kSliderTimer = 1;
constexpr UINT_PTR kDragTimer = 2;  // on the input window, which lives as long as the skylight
constexpr auto kFrame = std::chrono::milliseconds(16);
constexpr UINT kCloseCommand = 104;
constexpr DWORD kPartStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

POINT ClientPoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The skylight's windows share one object; each class has its own handler.
template <typename Member>
LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Member member) noexcept {
    return ObjectWindowProc<SkylightWindow>(
        window, message, wParam, lParam, [](SkylightWindow&) {},
        [&](SkylightWindow& self) { return (self.*member)(window, message, wParam, lParam); });
}

}  // namespace

void RegisterPartClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH brush) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = brush;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);  // fails harmlessly once the class exists
}

SkylightWindow::SkylightWindow(OverlayWindow* overlay, size_t position) : owner(overlay), index(position) {
    const HINSTANCE instance = owner->Instance();
    RegisterPartClass(instance, kSkylightInputClass, InputProc, LoadCursorW(nullptr, IDC_ARROW),
                      static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RegisterPartClass(instance, kSkylightControlsClass, ControlProc, LoadCursorW(nullptr, IDC_ARROW), nullptr);
    input.reset(CreatePart(kSkylightInputClass, L"移动天窗 / Move skylight", kPartStyle, WS_POPUP));
    if (const UINT current = input ? GetDpiForWindow(input.get()) : 0) dpi = current;
}

SkylightWindow::~SkylightWindow() {
    if (input) KillTimer(input.get(), kDragTimer);
    DestroyParts();
    if (input) SetWindowLongPtrW(input.get(), GWLP_USERDATA, 0);
    input.reset();
}

void SkylightWindow::DestroyParts() {
    if (controls) KillTimer(controls.get(), kSliderTimer);
    // Windows that lose the capture while they go must not call back into a half-destroyed object.
    for (HWND window : {grips[0].get(), grips[1].get(), grips[2].get(), grips[3].get(), grips[4].get(),
                        closeButton.get(), controls.get()}) {
        if (window) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    for (auto& grip : grips) grip.reset();
    closeButton.reset();
    controls.reset();
    gripPictures = {};
    gripHover = {};
}

void SkylightWindow::Decorate() {
    if (controls) return;
    controls.reset(CreatePart(kSkylightControlsClass, L"天窗控制 / Skylight controls", kPartStyle,
                              WS_POPUP | WS_CLIPCHILDREN));
    if (!controls) return;
    SetLayeredWindowAttributes(controls.get(), 0, 255, LWA_ALPHA);
    // Shown as on a first placement, for the usual five seconds.
    controlsShown = true;
    gripsIdle = false;
    lastInteraction = GetTickCount64();
}

void SkylightWindow::Undecorate() {
    if (!controls || Busy()) return;
    DestroyParts();
    placed.reset();
}

HWND SkylightWindow::CreatePart(const wchar_t* className, const wchar_t* title, DWORD exStyle, DWORD style) {
    const HWND part = CreateWindowExW(exStyle, className, title, style, 0, 0, 1, 1, owner->Window(), nullptr,
                                      owner->Instance(), this);
    if (part && owner->State().hideFromCapture) ExcludeFromCapture(part, true);
    return part;
}

void SkylightWindow::ApplyCaptureExclusion(bool exclude) {
    for (HWND window : {input.get(), controls.get(), closeButton.get()}) ExcludeFromCapture(window, exclude);
    for (const UniqueWindow& grip : grips) ExcludeFromCapture(grip.get(), exclude);
}

SkylightRegion& SkylightWindow::Record() const { return owner->State().skylights[index]; }

int SkylightWindow::Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi), 96); }

void SkylightWindow::Update(bool show) {
    if (!show) {
        // Hidden mid-drag: nothing left to reshape, and reshaping here would refresh within a refresh.
        if (reshapePending) KillTimer(input.get(), kDragTimer);
        reshapePending = false;
        EndDrag();
        visible = false;
        if (controls) KillTimer(controls.get(), kSliderTimer);
        brightnessPending = false;
        sliderDragging = false;
        if (controls && GetCapture() == controls.get()) ReleaseCapture();
        UpdateGrips(false);
        for (HWND window : {input.get(), controls.get(), closeButton.get()})
            if (window) ShowWindow(window, SW_HIDE);
        placed.reset();
        return;
    }
    placing = true;
    Place();
    // Moving the input window onto a monitor of another scale changed its DPI on the way: the parts
    // go again, at the scale of the monitor the skylight now lies on.
    if (placed && placed->dpi != dpi) Place();
    placing = false;
}

void SkylightWindow::Place() {
    const SkylightRegion& record = Record();
    const Rect& b = record.bounds;
    const Placement placement{b, record.brightness, record.shape, dpi};
    if (visible && placed == placement) return;
    // Windows already stacked above the overlay only move: restacking costs a round of the window
    // server for each of them, on every step of a drag.
    zOrder = placed ? SWP_NOZORDER : 0;
    placed = placement;
    if (!visible) {
        controlsShown = true;
        lastInteraction = GetTickCount64();
    }
    visible = true;
    if (!input) {
        owner->NoteMissingWindows();
        return;  // the overlay's hole alone shows the skylight
    }
    if (!controls && owner->MayDecorate()) Decorate();

    // Click-through: a click inside the skylight reaches the program underneath.
    const LONG_PTR exStyle = GetWindowLongPtrW(input.get(), GWL_EXSTYLE);
    if (!(exStyle & WS_EX_TRANSPARENT)) SetWindowLongPtrW(input.get(), GWL_EXSTYLE, exStyle | WS_EX_TRANSPARENT);
    SetLayeredWindowAttributes(input.get(), 0, static_cast<BYTE>(OpacityForBrightness(record.brightness)), LWA_ALPHA);
    const int width = static_cast<int>(Width(b)), height = static_cast<int>(Height(b));
    SetRegionIfChanged(input.get(), HoleRegion(record.shape, {0, 0, width, height}));
    parts = LayoutSkylightParts(b, ToRect(MonitorBounds({b.left, b.top}, false)),
                                ToRect(MonitorBounds(ToPOINT(Centre(b)), false)), static_cast<int32_t>(dpi));
    if (!controls) {
        SetWindowPos(input.get(), HWND_TOPMOST, b.left, b.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW | zOrder);
        return;
    }
    const Rect& bar = parts.bar;
    const int barWidth = static_cast<int>(Width(bar)), barHeight = static_cast<int>(Height(bar));
    SetRegionIfChanged(controls.get(),
                       UniqueRegion(CreateRoundRectRgn(0, 0, barWidth + 1, barHeight + 1, Scale(12), Scale(12))));
    InvalidateRect(controls.get(), nullptr, FALSE);
    if (MoveTogether()) {
        InvalidateRect(closeButton.get(), nullptr, FALSE);
        PaintGrips();
        return;
    }

    SetWindowPos(input.get(), HWND_TOPMOST, b.left, b.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW | zOrder);
    if (!closeButton) CreateCloseButton();
    SetWindowPos(controls.get(), HWND_TOPMOST, bar.left, bar.top, barWidth, barHeight,
                 SWP_NOACTIVATE | (controlsShown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | zOrder);
    UpdateGrips(true);
    // After the grips, and stacked every time: a grip that was dragged became the active window and
    // rose above it.
    if (closeButton) {
        InvalidateRect(closeButton.get(), nullptr, FALSE);
        PlaceCloseButton();
    }
    if (!closeButton || std::ranges::any_of(grips, [](const UniqueWindow& grip) { return !grip; }))
        owner->NoteMissingWindows();
}

bool SkylightWindow::MoveTogether() {
    // Only windows that exist and are stacked already: the first placement shows them in order.
    if (zOrder != SWP_NOZORDER || !closeButton) return false;
    for (const auto& grip : grips)
        if (!grip) return false;
    struct Move {
        HWND window;
        HWND after;
        Rect r;
        UINT flags;
    };
    const Rect& b = Record().bounds;
    const UINT move = SWP_NOACTIVATE | SWP_NOZORDER;
    std::array<Move, 8> moves{{
        {input.get(), nullptr, b, move | SWP_SHOWWINDOW},
        {controls.get(), nullptr, parts.bar, move | (controlsShown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW)},
    }};
    for (size_t slot = 0; slot < grips.size(); ++slot)
        moves[2 + slot] = {grips[slot].get(), nullptr, parts.grips[slot], move};
    // Stacked again last, as on the first placement: a dragged grip rises above it.
    moves[7] = {closeButton.get(), HWND_TOPMOST, parts.closeButton, SWP_NOACTIVATE | SWP_SHOWWINDOW};
    auto place = [](HDWP batch, const Move& m) {
        return DeferWindowPos(batch, m.window, m.after, m.r.left, m.r.top, static_cast<int>(Width(m.r)),
                              static_cast<int>(Height(m.r)), m.flags);
    };
    // One batch, so a dragged skylight's pieces never show apart; one by one if the batch fails.
    HDWP batch = BeginDeferWindowPos(static_cast<int>(moves.size()));
    for (const Move& m : moves)
        if (batch) batch = place(batch, m);
    if (!batch || !EndDeferWindowPos(batch)) {
        for (const Move& m : moves)
            SetWindowPos(m.window, m.after, m.r.left, m.r.top, static_cast<int>(Width(m.r)),
                         static_cast<int>(Height(m.r)), m.flags);
    }
    return true;
}

void SkylightWindow::CreateCloseButton() {
    RegisterPartClass(owner->Instance(), kSkylightCloseClass, CloseProc, LoadCursorW(nullptr, IDC_HAND), nullptr);
    closeButton.reset(CreatePart(kSkylightCloseClass, L"关闭天窗 / Close skylight", kPartStyle, WS_POPUP));
    if (closeButton) SetLayeredWindowAttributes(closeButton.get(), 0, 255, LWA_ALPHA);
}

void SkylightWindow::PlaceCloseButton() {
    const Rect& r = parts.closeButton;
    SetWindowPos(closeButton.get(), HWND_TOPMOST, r.left, r.top, static_cast<int>(Width(r)),
                 static_cast<int>(Height(r)), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void SkylightWindow::UpdateControlsVisibility(bool moved, uint64_t now) {
    if (!visible || !controls) return;
    const bool busy = dragging || sliderDragging || moved;
    if (busy) {
        lastInteraction = now;
        if (!IsWindowVisible(controls.get())) {
            controlsShown = true;
            SetGripsIdle(false);
            ShowWindow(controls.get(), SW_SHOWNOACTIVATE);
        }
    } else if (controlsShown && now - lastInteraction >= 5000) {
        // Asked only when the bar would go (a round trip each): a press held still on it keeps it.
        if (GetCapture() == controls.get()) {
            lastInteraction = now;
            return;
        }
        controlsShown = false;
        SetGripsIdle(true);
        ShowWindow(controls.get(), SW_HIDE);
    }
}

void SkylightWindow::BeginDrag(POINT point, HWND captureWindow) {
    dragStart = point;
    startBounds = Record().bounds;
    resizing = dragMode != 0;
    dragging = true;
    previousForeground = GetForegroundWindow();
    HWND target = captureWindow ? captureWindow : input.get();
    SetForegroundWindow(target);
    SetActiveWindow(target);
    SetCapture(target);
    owner->NotifyInteraction(true, index);
    LogActivity("skylight drag begin");
}

void SkylightWindow::MoveDrag(POINT point) {
    if (!dragging) return;
    const int64_t dx = int64_t{point.x} - dragStart.x, dy = int64_t{point.y} - dragStart.y;
    Rect bounds;
    if (resizing) {
        const Rect monitor = ToRect(MonitorBounds(ToPOINT(Centre(startBounds)), false));
        bounds = ResizedBounds(startBounds, dragMode, dx, dy, monitor, Scale(200), Scale(20));
    } else {
        bounds = ToRect(FitOnMonitor(ToRECT(Offset(startBounds, dx, dy)), point));
    }
    if (bounds == Record().bounds) return;
    Record().bounds = bounds;
    const auto sinceReshape = std::chrono::steady_clock::now() - lastReshape;
    if (sinceReshape >= kFrame) {
        Reshape();
    } else if (!reshapePending) {
        reshapePending = true;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(kFrame - sinceReshape);
        SetTimer(input.get(), kDragTimer, static_cast<UINT>(wait.count()), nullptr);
    }
}

void SkylightWindow::Reshape() {
    if (reshapePending) KillTimer(input.get(), kDragTimer);
    reshapePending = false;
    owner->Refresh();
    // Counted from the end: a slow reshape still leaves a frame for the input queue.
    lastReshape = std::chrono::steady_clock::now();
}

void SkylightWindow::EndDrag() {
    if (!dragging) return;
    // The last position goes on screen while the other holes are still cut once.
    if (reshapePending) Reshape();
    dragging = false;
    dragMode = 0;
    ReleaseCapture();
    owner->NotifyInteraction(false, index);
    owner->Persist();
    if (previousForeground && IsWindow(previousForeground)) SetForegroundWindow(previousForeground);
    previousForeground = nullptr;
    LogActivity("skylight drag saved");
    lastInteraction = GetTickCount64();
}

void SkylightWindow::UpdateBrightness() {
    if (!brightnessPending) return;
    brightnessPending = false;
    SetLayeredWindowAttributes(input.get(), 0, static_cast<BYTE>(OpacityForBrightness(Record().brightness)),
                               LWA_ALPHA);
    const RECT slider = ToRECT(parts.slider);
    if (controls) InvalidateRect(controls.get(), &slider, FALSE);
}

void SkylightWindow::RequestClose() { PostMessageW(owner->Window(), CloseSkylightMessage, index, 0); }

void SkylightWindow::ContextMenu() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, kCloseCommand, L"Close skylight");
    const POINT at = CursorPosition();
    // Windows closes a pop-up menu on a click outside it only while its owner is the foreground
    // window; the user's program gets the foreground back afterwards, as after a drag.
    const HWND before = GetForegroundWindow();
    SetForegroundWindow(controls.get());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, controls.get(), nullptr));
    // Without a message after the menu, the next one can close as soon as it opens.
    PostMessageW(controls.get(), WM_NULL, 0, 0);
    if (before && IsWindow(before)) SetForegroundWindow(before);
    if (chosen == kCloseCommand) RequestClose();
}

void SkylightWindow::PaintControls() {
    PaintBuffered(controls.get(), [this](HDC dc, const RECT& client) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        reference::Card(dc, client, static_cast<float>(Scale(8)), RGB(20, 20, 20), 0, 0);
        reference::Slider(dc, ToRECT(parts.slider), Record().brightness, true);
        reference::Moon(dc, ToRECT(parts.moon));
    });
}

void SkylightWindow::PressControls(HWND window, WPARAM wParam, LPARAM lParam) {
    const POINT point = ClientPoint(lParam);
    const RECT moon = ToRECT(parts.moon), slider = ToRECT(parts.slider);
    if (PtInRect(&moon, point)) {
        owner->SetBlackoutCursorBrightness(Record().brightness);
        owner->ShowFullBlack();
        return;
    }
    if (!PtInRect(&slider, point)) {
        dragMode = 0;
        BeginDrag(CursorPosition(), window);
        return;
    }
    sliderGrab = SliderGrab(parts.slider, Record().brightness, point.x);
    sliderDragging = true;
    SetCapture(window);
    SetTimer(window, kSliderTimer, 16, nullptr);
    // A press on the track puts the thumb's centre under the pointer at once.
    SendMessageW(window, WM_MOUSEMOVE, wParam, lParam);
}

void SkylightWindow::EndSliderDrag(bool releaseCapture) {
    sliderDragging = false;
    KillTimer(controls.get(), kSliderTimer);
    lastInteraction = GetTickCount64();
    brightnessPending = true;
    UpdateBrightness();
    if (releaseCapture) ReleaseCapture();
    owner->Persist();
}

LRESULT CALLBACK SkylightWindow::InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(window, message, wParam, lParam, &SkylightWindow::InputMessage);
}
LRESULT CALLBACK SkylightWindow::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(window, message, wParam, lParam, &SkylightWindow::ControlMessage);
}
LRESULT CALLBACK SkylightWindow::CloseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(window, message, wParam, lParam, &SkylightWindow::CloseMessage);
}
LRESULT CALLBACK SkylightWindow::GripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(window, message, wParam, lParam, &SkylightWindow::Handle);
}

LRESULT SkylightWindow::InputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintBlack(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_TIMER:
            if (wParam == kDragTimer && reshapePending) Reshape();
            return 0;
        case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_SIZEALL)); return TRUE;
        case WM_DPICHANGED:
            // The parts follow the input window's scale, not the rectangle Windows suggests for it.
            if (LOWORD(wParam)) dpi = LOWORD(wParam);
            // A move of ours places them again when it is done; a new scale of the monitor does it now.
            if (visible && !placing) Update(true);
            return 0;
        case WM_LBUTTONDOWN:
            dragMode = 0;
            BeginDrag(CursorPosition(), nullptr);
            return 0;
        case WM_MOUSEMOVE:
            MoveDrag(CursorPosition());
            return 0;
        case WM_LBUTTONUP:
        // A lost capture ends the drag like a release, so the foreground and the toolbar come back.
        case WM_CAPTURECHANGED: EndDrag(); return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT SkylightWindow::ControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintControls(); return 0;
        case WM_ERASEBKGND: return 1;
        // Never take the foreground from the user's program for a slider or moon click.
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_CONTEXTMENU: ContextMenu(); return 0;
        case WM_LBUTTONDOWN: PressControls(window, wParam, lParam); return 0;
        case WM_MOUSEMOVE:
            if (sliderDragging) {
                const int32_t value = SliderValueAt(parts.slider, sliderGrab, ClientPoint(lParam).x);
                if (value != Record().brightness) {
                    Record().brightness = value;
                    brightnessPending = true;
                }
            } else if (dragging && GetCapture() == window) {
                MoveDrag(CursorPosition());
            }
            return 0;
        case WM_TIMER:
            if (wParam == kSliderTimer) UpdateBrightness();
            return 0;
        case WM_LBUTTONUP:
            EndDrag();
            if (sliderDragging) EndSliderDrag(true);
            return 0;
        case WM_CAPTURECHANGED:
            EndDrag();
            if (sliderDragging) EndSliderDrag(false);
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT SkylightWindow::CloseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window, &paint);
            RECT client{};
            GetClientRect(window, &client);
            PaintCloseButton(dc, client.right, client.bottom, dpi);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_LBUTTONDOWN: SetCapture(window); return 0;
        case WM_LBUTTONUP: {
            if (ReleasedInside(window, lParam)) RequestClose();
            return 0;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
