#include "app/host_window.h"

#include "app/application.h"
#include "app/instance_coordinator.h"
#include "common/activity_log.h"
#include "common/clipboard.h"
#include "state/settings_file.h"

namespace {

LRESULT HandleHostMessage(Application& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case ShowControlsMessage:
            LogActivity("show controls requested");
            return 0;
        case QuitMessage:
            if (app.quitFailureOpen) return 0;
            if (SaveSettings(app.state)) {
                DestroyWindow(window);
            } else {
                app.quitFailureOpen = true;
                CopyableError(nullptr, L"保存失败，尚未退出。 / Save failed; Lumenfold remains open.");
                app.quitFailureOpen = false;
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* app = static_cast<Application*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
            app->host = window;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        auto* app = reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!app) return DefWindowProcW(window, message, wParam, lParam);
        return HandleHostMessage(*app, window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

HWND CreateHostWindow(HINSTANCE instance, Application* application) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kHostWindowClass;
    RegisterClassW(&windowClass);
    // A normal hidden top-level window, not message-only, so that shell broadcasts reach it.
    return CreateWindowExW(WS_EX_TOOLWINDOW, kHostWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                           application);
}
