#include "toolbar/toolbar_window.h"

#include <windowsx.h>

#include "common/activity_log.h"
#include "common/clipboard.h"
#include "common/handles.h"
#include "common/shell_services.h"
#include "common/text.h"
#include "common/win_geometry.h"
#include "common/window_procedure.h"
#include "drawing/dpi_scale.h"
#include "drawing/scrolling.h"
#include "drawing/slider_layout.h"
#include "overlay/overlay_window.h"
#include "overlay/skylight_window.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;

static_assert(SB_LINEUP == static_cast<int>(ScrollRequest::LineUp) &&
              SB_LINEDOWN == static_cast<int>(ScrollRequest::LineDown) &&
              SB_PAGEUP == static_cast<int>(ScrollRequest::PageUp) &&
              SB_PAGEDOWN == static_cast<int>(ScrollRequest::PageDown) &&
              SB_THUMBTRACK == static_cast<int>(ScrollRequest::ThumbTrack));

RECT Client(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

}  // namespace

ToolbarWindow::~ToolbarWindow() {
    if (logo) DestroyWindow(logo);
    logo = nullptr;
    if (window) DestroyWindow(window);
}

bool ToolbarWindow::Create(HINSTANCE instanceHandle, OverlayWindow* owner, bool onlineEnabled) {
    instance = instanceHandle;
    overlay = owner;
    RegisterPartClass(instance, kToolbarWindowClass, WindowProc, LoadCursorW(nullptr, IDC_ARROW),
                      static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kToolbarWindowClass, L"Lumenfold",
                    WS_POPUP | WS_CLIPCHILDREN | WS_VSCROLL, 0, 0, 400, 700, overlay->Window(), nullptr, instance,
                    this);
    if (!window || !CreateLogo()) return false;
    online.Start(onlineEnabled);
    Poll();
    collapsed = temporarilyHidden = advertisementHidden = anchored = false;
    Position();
    return true;
}

void ToolbarWindow::ShowExpanded() {
    collapsed = temporarilyHidden = advertisementHidden = anchored = false;
    Position();
}

void ToolbarWindow::Position() {
    if (!window) return;
    NotePresentation();
    const UINT dpi = GetDpiForWindow(window);
    ToolbarPlacementInput in;
    in.workArea = ToRect(MonitorBounds(CursorPosition(), true));
    in.anchorWorkArea = ToRect(MonitorBounds(anchor, true));
    in.effectiveDpi = EffectiveDpi(dpi ? static_cast<int32_t>(dpi) : 96, overlay->State().textScale);
    in.collapsed = collapsed;
    in.anchored = anchored;
    in.anchor = ToPoint(anchor);
    const Rect r = PlaceToolbar(in);
    SetWindowPos(window, HWND_TOPMOST, r.left, r.top, static_cast<int>(Width(r)), static_cast<int>(Height(r)),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Layout();
    PositionLogo();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    UpdateTimers();
}

// The snapshot's timer runs only while the toolbar can be seen and a worker can change what it shows.
// The visibility rules have none of their own: the overlay's tick drives them.
void ToolbarWindow::UpdateTimers() {
    if (!window) return;
    const bool poll = shown && !temporarilyHidden && online.Running() && IsWindowVisible(window);
    if (poll == polling) return;
    polling = poll ? SetTimer(window, kPollTimer, 1000, nullptr) != 0 : !KillTimer(window, kPollTimer);
    if (polling) Poll();  // what changed while nobody could see it
}

void ToolbarWindow::Layout() {
    if (!window || layingOut) return;
    layingOut = true;
    // The popup has no border: without the scroll bar the client area is the whole window.
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT wide{0, 0, frame.right - frame.left, frame.bottom - frame.top};
    const bool hasBar = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VSCROLL) != 0;
    if (collapsed) {
        if (hasBar) ShowScrollBar(window, SB_VERT, FALSE);
        layout.collapseRect = layout.logoRect = ToRect(wide);
    } else {
        const UINT dpi = GetDpiForWindow(window);
        RECT narrow = wide;
        narrow.right -= GetSystemMetricsForDpi(SM_CXVSCROLL, dpi ? dpi : 96);
        // Decided on the full width and laid out for the width the bar leaves: content that needs the
        // bar only at the full width keeps it, disabled, instead of showing and hiding it at every
        // layout with the design unit changing each time.
        const bool bar = LayoutFor(wide).scrollBar;
        layout = bar ? LayoutFor(narrow) : LayoutFor(wide);
        scroll = layout.scroll;
        contentHeight = layout.contentHeight;
        if (hasBar != bar) ShowScrollBar(window, SB_VERT, bar);
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | (bar ? SIF_DISABLENOSCROLL : 0u), 0,
                        contentHeight, static_cast<UINT>(wide.bottom), scroll, 0};
        SetScrollInfo(window, SB_VERT, &info, TRUE);
        if (!layout.bannerImageRects.empty()) {
            const RECT r = ToRECT(layout.bannerImageRects[0]);
            const int inset = Units(DesignScale((bar ? narrow : wide).right), 14);
            pictureSize = {r.right - r.left - 2, r.bottom - r.top - inset};
            PreparePicture();
        }
    }
    layingOut = false;
}

bool ToolbarWindow::PreparePicture() {
    if (collapsed || layout.bannerImageRects.empty() || snapshot.banners.empty()) return false;
    return picture.Prepare(snapshot.banners[0].imagePath, pictureSize.cx, pictureSize.cy);
}

ToolbarLayout ToolbarWindow::LayoutFor(const RECT& client) {
    ToolbarLayoutInput in;
    in.clientWidth = client.right;
    in.clientHeight = client.bottom;
    in.scroll = scroll;
    in.hasBanner = !snapshot.banners.empty();
    in.hasStatus = !snapshot.status.empty();
    if (in.hasBanner) {
        in.aspectRatio = snapshot.banners[0].aspectRatio;
        in.linkTextHeight = MeasureLink(Wide(snapshot.banners[0].targetURL), DesignScale(client.right));
    }
    return LayoutToolbar(in);
}

int32_t ToolbarWindow::MeasureLink(const std::wstring& text, float f) {
    WindowDC dc(window);
    UniqueFont font = LinkFont(f, false);
    SelectedObject selected(dc.get(), font.get());
    RECT measured{0, 0, Units(f, 312), 0};
    DrawTextW(dc.get(), text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    return measured.bottom - measured.top;
}

void ToolbarWindow::SetCollapsed(bool collapse) {
    RECT logoWindow{};
    GetWindowRect(logo, &logoWindow);
    anchor = {logoWindow.left, logoWindow.top};
    anchored = true;
    collapsed = collapse;
    if (!collapse) advertisementHidden = false;
    Position();
    LogActivity(collapse ? "sidebar collapsed; logo anchored" : "sidebar expanded; logo anchored");
}

void ToolbarWindow::ToggleCollapsed() { SetCollapsed(!collapsed); }

void ToolbarWindow::Hide() {
    shown = false;
    ShowWindow(logo, SW_HIDE);
    ShowWindow(window, SW_HIDE);
    UpdateTimers();
}

void ToolbarWindow::TemporarilyHide(bool hide) {
    if (hide) {
        if (!temporarilyHidden) shownBeforeHide = shown;
        shown = false;
        temporarilyHidden = true;
        ShowWindow(logo, SW_HIDE);
        ShowWindow(window, SW_HIDE);
        UpdateTimers();
        return;
    }
    if (!temporarilyHidden) return;
    temporarilyHidden = false;
    // A toolbar the user or the idle rule had put away stays away.
    if (shownBeforeHide) Position();
}

void ToolbarWindow::OpenSharing(bool qr) {
    overlay->ExitLikeEscape();
    share.Show(instance, nullptr, snapshot, qr);
}

void ToolbarWindow::Poll() {
    if (draggingSlider) return;
    OnlineSnapshot latest = online.Snapshot();
    if (!latest.bannerStatus.empty()) {
        if (!latest.status.empty()) latest.status += "\n";
        latest.status += latest.bannerStatus;
    }
    if (latest == snapshot) {
        // The worker may have fetched the picture of a banner already shown without it.
        if (!PreparePicture()) return;
        const RECT r = ToRECT(layout.bannerImageRects[0]);
        InvalidateRect(window, &r, FALSE);
        return;
    }
    snapshot = std::move(latest);
    Layout();
    InvalidateRect(window, nullptr, FALSE);
}

void ToolbarWindow::Press(POINT point) {
    const Point at = ToPoint(point);
    if (Contains(layout.logoRect, at)) {
        pressingLogo = true;
        SetCapture(window);
        return;
    }
    if (collapsed) return;
    if (point.y + scroll >= Units(DesignScale(Client(window).right), 136)) {
        if (!Contains(layout.sliderRect, at)) return;
        sliderGrab = SliderGrabAt(layout.sliderRect, FlatThumbWidth(layout.sliderRect),
                                  overlay->State().backgroundBrightness, point.x);
        draggingSlider = true;
        SetCapture(window);
        DragSlider(point.x);
        return;
    }
    // The header band moves the window, as a caption would.
    ReleaseCapture();
    const POINT cursor = CursorPosition();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}

void ToolbarWindow::DragSlider(int32_t x) {
    overlay->SetBackgroundBrightness(
        SliderValueFor(layout.sliderRect, FlatThumbWidth(layout.sliderRect), sliderGrab, x));
    const RECT card = ToRECT(layout.brightnessRect);  // the value and the slider
    InvalidateRect(window, &card, FALSE);
}

void ToolbarWindow::EndSliderDrag() {
    draggingSlider = false;
    ReleaseCapture();
    overlay->Persist();
}

void ToolbarWindow::Release(POINT point) {
    const Point at = ToPoint(point);
    if (pressingLogo) {
        pressingLogo = false;
        ReleaseCapture();
        // Letting go outside the logo cancels.
        if (Contains(layout.logoRect, at)) SetCollapsed(!collapsed);
        return;
    }
    if (draggingSlider) return EndSliderDrag();
    if (Contains(layout.shareRect, at) && !collapsed) return OpenSharing(false);
    if (Contains(layout.collapseRect, at)) return SetCollapsed(!collapsed);
    if (Contains(layout.qrRect, at)) return OpenSharing(true);
    if (Contains(layout.creditsRect, at)) return OpenSharing(false);
    if (Contains(layout.statusRect, at) && !snapshot.status.empty())
        return CopyableError(window, Wide(snapshot.status));
    for (size_t i = 0; i < layout.bannerImageRects.size() && i < snapshot.banners.size(); ++i) {
        if (!Contains(layout.bannerImageRects[i], at) && !Contains(layout.bannerLinkRects[i], at)) continue;
        overlay->ExitLikeEscape();
        if (!OpenLink(window, Wide(snapshot.banners[i].targetURL)))
            CopyableError(window, L"无法打开广告 / Could not open banner");
        return;
    }
}

void ToolbarWindow::Scroll(int32_t offset) {
    scroll = offset;
    Layout();
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK ToolbarWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ObjectWindowProc<ToolbarWindow>(
        hwnd, message, wParam, lParam, [hwnd](ToolbarWindow& self) { self.window = hwnd; },
        [&](ToolbarWindow& self) { return self.HandleMessage(message, wParam, lParam); });
}

LRESULT ToolbarWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_DESTROY:
            KillTimer(window, kPollTimer);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window = nullptr;
            return 0;
        case WM_SIZE: Layout(); return 0;
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_DISPLAYCHANGE:
        case WM_DPICHANGED:
            if (shown) Position();  // one put away stays away until it is shown again
            return 0;
        case WM_TIMER: Poll(); return 0;
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:  // font smoothing, for one: the static layer is drawn again
            staticWidth = 0;
            InvalidateRect(window, nullptr, FALSE);
            // A taskbar moved or resized: the edge the toolbar keeps to moved.
            if (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA && shown) Position();
            return 0;
        case WM_VSCROLL: {
            SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(window, SB_VERT, &info);
            Scroll(ScrollForBar(info.nPos, LOWORD(wParam), static_cast<int32_t>(info.nPage), info.nTrackPos,
                                contentHeight));
            return 0;
        }
        case WM_MOUSEWHEEL:
            Scroll(ScrollForWheel(scroll, GET_WHEEL_DELTA_WPARAM(wParam), contentHeight, Client(window).bottom));
            return 0;
        case WM_MOUSEMOVE:
            if (draggingSlider) DragSlider(point.x);
            return 0;
        case WM_LBUTTONDOWN: Press(point); return 0;
        case WM_LBUTTONUP: Release(point); return 0;
        case WM_CAPTURECHANGED:
            draggingSlider = false;
            pressingLogo = false;
            return 0;
        case WM_EXITSIZEMOVE:
            // Moved by hand: the logo follows the toolbar, and the next Position returns it to the edge.
            anchored = false;
            PositionLogo();
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
