// The five resize grips along a skylight's border: created on first use, placed and repainted on every
// refresh, fading to the skylight's brightness while the controls are hidden.
#include "common/shell_services.h"
#include "common/win_geometry.h"
#include "overlay/overlay_window.h"
#include "overlay/skylight_layout.h"
#include "overlay/skylight_paint.h"
#include "overlay/skylight_window.h"

namespace {

constexpr const wchar_t* kGripTitles[kGripCount] = {
    L"左边缩放 / Resize left",
    L"右边缩放 / Resize right",
    L"按住上边框移动，松开操作内容 / Drag top edge to move; release to interact",
    L"下边缩放 / Resize bottom",
    L"右下角缩放 / Resize corner",
};

const wchar_t* CursorName(ResizeCursor cursor) {
    switch (cursor) {
        case ResizeCursor::Move: return IDC_SIZEALL;
        case ResizeCursor::NorthWestSouthEast: return IDC_SIZENWSE;
        case ResizeCursor::NorthEastSouthWest: return IDC_SIZENESW;
        case ResizeCursor::WestEast: return IDC_SIZEWE;
        case ResizeCursor::NorthSouth: return IDC_SIZENS;
    }
    return IDC_ARROW;
}

POINT PointerIn(HWND window, POINT screen = CursorPosition()) {
    ScreenToClient(window, &screen);
    return screen;
}

}  // namespace

bool SkylightWindow::GripPressed(int slot) const {
    return dragging && GetCapture() == grips[static_cast<size_t>(slot)].get();
}

void SkylightWindow::RepaintGrip(int slot, int brightness, bool idle) {
    const size_t s = static_cast<size_t>(slot);
    gripPictures[s] = {};
    RenderSkylightGrip(grips[s].get(), dpi, slot, gripPoint[s], gripHover[s], GripPressed(slot), brightness, idle);
}

void SkylightWindow::UpdateGrips(bool show) {
    if (!show) {
        for (size_t slot = 0; slot < grips.size(); ++slot) {
            gripHover[slot] = false;
            if (grips[slot]) ShowWindow(grips[slot].get(), SW_HIDE);
        }
        return;
    }
    RegisterPartClass(owner->Instance(), kSkylightGripClass, GripProc, nullptr, nullptr);
    for (int slot = 0; slot < kGripCount; ++slot) {
        UniqueWindow& grip = grips[static_cast<size_t>(slot)];
        // Not WS_EX_NOACTIVATE: the grips keep the foreground away by their answer to WM_MOUSEACTIVATE.
        const bool created = !grip;
        if (!grip) grip.reset(CreatePart(kSkylightGripClass, kGripTitles[slot], WS_EX_LAYERED | WS_EX_TOOLWINDOW |
                                                                                 WS_EX_TOPMOST, WS_POPUP));
        if (!grip) continue;
        const Rect& r = parts.grips[static_cast<size_t>(slot)];
        SetWindowPos(grip.get(), HWND_TOPMOST, r.left, r.top, static_cast<int>(Width(r)), static_cast<int>(Height(r)),
                     SWP_NOACTIVATE | (created ? 0 : zOrder));
    }
    // A grip gets its picture before it is first shown: Wine raises a layered window shown without
    // one above the close button once it gets it.
    PaintGrips();
    for (auto& grip : grips)
        if (grip) ShowWindow(grip.get(), SW_SHOWNOACTIVATE);
}

void SkylightWindow::PaintGrips() {
    // One read for all five: each is a round trip to the window server, on every step of a drag.
    const POINT pointer = CursorPosition();
    for (int slot = 0; slot < kGripCount; ++slot) {
        HWND grip = grips[static_cast<size_t>(slot)].get();
        if (!grip) continue;
        gripPoint[static_cast<size_t>(slot)] = PointerIn(grip, pointer);
        const Rect& r = parts.grips[static_cast<size_t>(slot)];
        // Moving a layered window keeps its picture: only a new size, scale or fading draws it again.
        const GripPicture picture{static_cast<int>(Width(r)), static_cast<int>(Height(r)), Record().brightness,
                                  gripsIdle, dpi};
        if (gripPictures[static_cast<size_t>(slot)] != picture) {
            RepaintGrip(slot, picture.brightness, picture.idle);
            gripPictures[static_cast<size_t>(slot)] = picture;
        }
    }
}

void SkylightWindow::SetGripsIdle(bool idle) {
    if (idle == gripsIdle) return;
    gripsIdle = idle;
    if (!visible) return;
    for (int slot = 0; slot < kGripCount; ++slot)
        if (grips[static_cast<size_t>(slot)]) RepaintGrip(slot, Record().brightness, idle);
}

int SkylightWindow::SlotOf(HWND window) const {
    for (int slot = 0; slot < kGripCount; ++slot)
        if (grips[static_cast<size_t>(slot)].get() == window) return slot;
    return -1;
}

uint32_t SkylightWindow::ZoneUnderPointer(int slot) {
    HWND grip = grips[static_cast<size_t>(slot)].get();
    const POINT point = gripPoint[static_cast<size_t>(slot)] = PointerIn(grip);
    RECT client{};
    GetClientRect(grip, &client);
    return GripZone(slot, point.x, client.right, Scale(64));
}

LRESULT SkylightWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int slot = SlotOf(window);
    if (slot < 0) return DefWindowProcW(window, message, wParam, lParam);
    const size_t s = static_cast<size_t>(slot);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, CursorName(CursorForEdges(dragging ? dragMode : ZoneUnderPointer(slot)))));
            return TRUE;
        case WM_MOUSEMOVE: {
            gripPoint[s] = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            gripHover[s] = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            if (dragging && GetCapture() == window) {
                MoveDrag(CursorPosition());
                return 0;
            }
            RepaintGrip(slot, 100, false);
            return 0;
        }
        case WM_LBUTTONDOWN:
            gripHover[s] = true;
            dragMode = ZoneUnderPointer(slot);
            BeginDrag(CursorPosition(), window);
            RepaintGrip(slot, 100, false);
            return 0;
        case WM_MOUSELEAVE:
            if (dragging) return 0;
            gripHover[s] = false;
            RepaintGrip(slot, 100, false);
            return 0;
        case WM_LBUTTONUP:
        case WM_CANCELMODE:
        case WM_CAPTURECHANGED: {
            EndDrag();
            gripPoint[s] = PointerIn(window);
            RECT client{};
            GetClientRect(window, &client);
            gripHover[s] = PtInRect(&client, gripPoint[s]) != 0;
            RepaintGrip(slot, 100, false);
            return 0;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
