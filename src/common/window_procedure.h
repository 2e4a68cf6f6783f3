#pragma once
// The part every window procedure of ours shares: the object handed over as the creation parameter
// is kept in the window's user data from WM_NCCREATE on (`attach` tells it its window), and every
// message from then on goes to `handle`. Messages before that, or after the object let go of the
// window (user data cleared), go to DefWindowProc. No exception leaves into the system's code.
#include <windows.h>

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
