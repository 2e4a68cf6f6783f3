// The persistent logo over the toolbar's logo slot, and the 100 ms poll that shows, expands,
// collapses and hides toolbar and logo on their own.
#include <windowsx.h>

#include <array>

#include "common/handles.h"
#include "common/text.h"
#include "common/win_geometry.h"
#include "common/window_procedure.h"
#include "drawing/buffered_paint.h"
#include "drawing/reference_drawing.h"
#include "online/origins.h"
#include "overlay/skylight_window.h"
#include "toolbar/toolbar_window.h"

namespace {

constexpr int kIconResource = 101;

CaptureOwner OwnerOf(HWND capture, HWND toolbar, HWND logo) {
    if (!capture) return CaptureOwner::None;
    if (capture == toolbar || capture == logo) return CaptureOwner::ToolbarOrLogo;
    std::array<wchar_t, 129> name{};
    GetClassNameW(capture, name.data(), 129);
    return std::wstring_view(name.data()) == kSkylightControlsClass ? CaptureOwner::SkylightControls
                                                                    : CaptureOwner::Other;
}

}  // namespace

bool ToolbarWindow::CreateLogo() {
    RegisterPartClass(instance, kPersistentLogoClass, LogoProc, LoadCursorW(nullptr, IDC_HAND), nullptr);
    logo = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPersistentLogoClass,
                           L"展开或收起 / Expand or collapse Lumenfold", WS_POPUP, 0, 0, 68, 76, window, nullptr,
                           instance, this);
    return logo != nullptr;
}

LRESULT CALLBACK ToolbarWindow::LogoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<ToolbarWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (message) {
            case WM_PAINT:
                if (!self) break;
                self->PaintLogo(hwnd);
                return 0;
            case WM_ERASEBKGND: return 1;
            case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
            case WM_LBUTTONDOWN: SetCapture(hwnd); return 0;
            case WM_LBUTTONUP: {
                if (ReleasedInside(hwnd, lParam) && self) self->ToggleCollapsed();
                return 0;
            }
            default: break;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ToolbarWindow::PaintLogo(HWND logoWindow) {
    PaintBuffered(logoWindow, [this](HDC dc, const RECT& client) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        const float g = static_cast<float>(client.right) / 68.0f;
        const int n = Units(g, 56);
        UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, n, n, 0)));
        if (icon) DrawIconEx(dc, 0, 0, icon.get(), n, n, 0, nullptr, DI_NORMAL);
        reference::Label(dc, {0, n, client.right, client.bottom}, Wide(kPublisherSiteLabel), 9.0f * g,
                         RGB(195, 195, 195), true, false);
    });
}

void ToolbarWindow::PositionLogo() {
    if (!logo) return;
    // Anchored, the toolbar was placed under the logo, which stays where the user saw it.
    if (anchored) {
        SetWindowPos(logo, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return;
    }
    RECT client{};
    GetClientRect(window, &client);
    const float g = static_cast<float>(client.right) / (collapsed ? 80.0f : 344.0f);
    POINT at{Units(g, collapsed ? 12.0f : 260.0f), Units(g, collapsed ? 8.0f : 36.0f)};
    ClientToScreen(window, &at);
    SetWindowPos(logo, HWND_TOPMOST, at.x, at.y, Units(g, 68), Units(g, 76), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool ToolbarWindow::CursorOnLogo(POINT cursor) const {
    RECT rect{};
    return logo && GetWindowRect(logo, &rect) && PtInRect(&rect, cursor);
}

void ToolbarWindow::NotePresentation() {
    shown = true;
    lastActivity = GetTickCount64();
    lastCursor = CursorPosition();
    overLogo = CursorOnLogo(lastCursor);
}

void ToolbarWindow::HideAdvertisementUntilLogoClick() {
    advertisementHidden = true;
    SetCollapsed(true);
}

void ToolbarWindow::PollAutoVisibility(POINT cursor) {
    if (!window || !shown || temporarilyHidden) return;  // away with the overlay or by the user's choice
    const uint64_t now = GetTickCount64();
    const bool moved = cursor.x != lastCursor.x || cursor.y != lastCursor.y;
    // Wine answers each query below with a server round trip: a still pointer with nothing held
    // changes nothing but the end of the rest, and nothing at all once the toolbar stepped aside.
    const bool restEnds = now - lastActivity >= kIdleMilliseconds && IsWindowVisible(logo);
    if (!moved && !held && !draggingSlider && !restEnds) {
        overLogo = CursorOnLogo(cursor);
        return;
    }
    VisibilityInput in;
    in.shown = shown;
    in.temporarilyHidden = temporarilyHidden;
    in.moved = moved;
    in.overLogoBefore = overLogo;
    in.overLogoNow = CursorOnLogo(cursor);
    in.collapsed = collapsed;
    in.advertisementHidden = advertisementHidden;
    in.capture = OwnerOf(GetCapture(), window, logo);
    // GetAsyncKeyState reads the physical buttons: with swapped buttons the left one is VK_RBUTTON.
    in.leftButtonDown = (GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
    held = in.capture != CaptureOwner::None || in.leftButtonDown;
    in.draggingSlider = draggingSlider;
    in.now = now;
    in.lastActivity = lastActivity;
    const VisibilityActions act = AutoVisibility(in);
    if (!act.polled) return;
    lastCursor = cursor;
    if (act.showToolbar) ShowWindow(window, SW_SHOWNOACTIVATE);
    if (act.showLogo) ShowWindow(logo, SW_SHOWNOACTIVATE);
    if (act.expand) SetCollapsed(false);
    if (act.collapse) SetCollapsed(true);
    if (act.hide) {
        ShowWindow(logo, SW_HIDE);
        ShowWindow(window, SW_HIDE);
    }
    overLogo = act.overLogo;
    lastActivity = act.lastActivity;
    if (act.showToolbar || act.hide) UpdateTimers();
}
