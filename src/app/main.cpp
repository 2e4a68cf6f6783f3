#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string_view>

#include "app/application.h"
#include "app/graphics_lifetime.h"
#include "app/host_window.h"
#include "app/instance_coordinator.h"
#include "common/clipboard.h"
#include "common/win_geometry.h"
#include "state/settings_file.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Ignored on purpose: the manifest declares the same awareness.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::wstring_view arguments = commandLine ? commandLine : L"";
    const bool quit = arguments.find(L"--quit") != std::wstring_view::npos;

    InstanceCoordinator coordinator;
    switch (coordinator.Begin(quit)) {
        case InstanceCoordinator::LeaveSuccess: return 0;
        case InstanceCoordinator::LeaveFailure: return 2;
        case InstanceCoordinator::Run: break;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    GraphicsLifetime graphics;
    if (!graphics.Start()) return 1;

    Application app;
    // Nothing the user saved may be overwritten by defaults: an unreadable file stops the start.
    if (!LoadSettings(app.state)) {
        CopyableError(nullptr, L"无法读取原有设置；为保护数据，此次启动已停止。 / Cannot read saved settings; startup stopped to "
                               L"preserve your data.");
        return 1;
    }
    if (!CreateHostWindow(instance, &app)) return 1;
    if (!app.overlay.Create(instance, &app.state)) return 1;
    const bool onlineEnabled = arguments.find(L"--offline") == std::wstring_view::npos;
    if (!app.toolbar.Create(instance, &app.overlay, onlineEnabled)) return 1;
    app.overlay.SetControlsRequestedHandler([&app] { app.toolbar.ShowExpanded(); });
    app.overlay.SetVisibilityHandler([&app](bool visible) {
        // The toolbar and its logo leave a monitor a full-screen program fills.
        RECT placed{};
        GetWindowRect(app.toolbar.Window(), &placed);
        const Point centre = Centre(ToRect(placed));
        app.toolbar.TemporarilyHide(!visible || Contains(app.state.steppedAside.value_or(Rect{}), centre));
    });
    app.overlay.SetTickHandler([&app](POINT cursor) { app.toolbar.PollAutoVisibility(cursor); });
    app.overlay.SetInteractionHandler([&app](bool active) {
        if (active) app.toolbar.HideAdvertisementUntilLogoClick();
    });
    // Taken by another program: the tray menu still reveals the overlay.
    RegisterHotKeys(app);
    AddTrayIcon(&app, instance);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
