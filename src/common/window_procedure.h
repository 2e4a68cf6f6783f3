#pragma once
// The part every window procedure of ours shares: the object handed over as the creation parameter
// is kept in the window's user data from WM_NCCREATE on (`attach` tells it its window), and every
// message from then on goes to `handle`. Messages before that, or after the object let go of the
// window (user data cleared), go to DefWindowProc. No exception leaves into the system's code.
#include <windows.h>
#include <windowsx.h>

template <typename T, typename Attach, typename Handle>
LRESULT ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Attach attach,
                         Handle handle) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            attach(*self);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA))) return handle(*self);
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The release of a press that `window` captured (a button that acts on release): gives the capture
// up and tells whether the press was the window's own and the release lies inside it. Letting go
// outside cancels.
inline bool ReleasedInside(HWND window, LPARAM lParam) {
    const bool held = GetCapture() == window;
    ReleaseCapture();
    RECT client{};
    GetClientRect(window, &client);
    return held && PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}
