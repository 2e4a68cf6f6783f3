#include "app/host_window.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "app/application.h"
#include "app/instance_coordinator.h"
#include "app/tray_menu.h"
#include "cleanup/old_versions.h"
#include "common/activity_log.h"
#include "common/clipboard.h"
#include "state/settings_file.h"

namespace {

// The shell broadcasts this after it restarts; every tray icon must then be added again.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

constexpr int32_t kBrightnessStep = 10;
static_assert(kHotKeyAlt == MOD_ALT && kHotKeyCtrl == MOD_CONTROL && kHotKeyShift == MOD_SHIFT &&
              kHotKeyWin == MOD_WIN);

void DeleteTrayIcon(Application& app) { Shell_NotifyIconW(NIM_DELETE, &app.tray); }

// As the toolbar's slider does, from wherever the overlay was: a hidden one comes back first.
void StepBrightness(Application& app, int32_t step) {
    if (app.state.mode == OverlayMode::Hidden) app.overlay.RevealFromShortcut();
    app.overlay.SetBackgroundBrightness(app.state.backgroundBrightness + step);
    InvalidateRect(app.toolbar.Window(), nullptr, FALSE);
}

void ShowTrayMenu(Application& app) {
    UniqueMenu menu = BuildTrayMenu(app);
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(app.host);
    const unsigned id = static_cast<unsigned>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                                             cursor.y, 0, app.host, nullptr));
    // Without a message after the menu, the next one can close as soon as it opens.
    PostMessageW(app.host, WM_NULL, 0, 0);
    menu.reset();
    RunTrayCommand(app, id);
}

void HandleTray(Application& app, LPARAM lParam) {
    // Version 4 sends WM_LBUTTONUP then NIN_SELECT for one left click, and WM_RBUTTONUP then
    // WM_CONTEXTMENU for one right click: answer one of each pair, or each click acts twice.
    switch (LOWORD(lParam)) {
        // The overlay's controls-requested handler expands the toolbar as well.
        case NIN_SELECT: app.overlay.ResetForCreation(); break;
        case WM_CONTEXTMENU: ShowTrayMenu(app); break;
        default: break;
    }
}

void Quit(Application& app, HWND window) {
    if (app.quitFailureOpen) return;
    if (SaveSettings(app.state)) {
        // Torn down after the answer: a copy that asked waits for this process to end, and its send
        // time-out must not have to cover the teardown too.
        PostMessageW(window, DestroyHostMessage, 0, 0);
        return;
    }
    app.quitFailureOpen = true;
    CopyableError(nullptr, L"保存失败，尚未退出。 / Save failed; Lumenfold remains open.");
    app.quitFailureOpen = false;
}

LRESULT HandleHostMessage(Application& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            for (int id : {kRevealHotKey, kBrighterHotKey, kDarkerHotKey}) UnregisterHotKey(window, id);
            DeleteTrayIcon(app);
            PostQuitMessage(0);
            return 0;
        case WM_QUERYENDSESSION: return SaveSettings(app.state) ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (wParam) DeleteTrayIcon(app);
            return 0;
        case WM_HOTKEY:
            if (wParam == kRevealHotKey) app.overlay.RevealFromShortcut();
            if (wParam == kBrighterHotKey || wParam == kDarkerHotKey)
                StepBrightness(app, wParam == kBrighterHotKey ? kBrightnessStep : -kBrightnessStep);
            return 0;
        case TrayCallbackMessage: HandleTray(app, lParam); return 0;
        case ShowControlsMessage: app.overlay.ResetForCreation(); return 0;
        case QuitMessage: Quit(app, window); return 0;
        case DestroyHostMessage: DestroyWindow(window); return 0;
        default:
            if (message == TaskbarCreatedMessage() && message != 0) {
                AddTrayIcon(&app, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)));
                return 0;
            }
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
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            app->host = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
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
    TaskbarCreatedMessage();
    // A normal hidden top-level window, not message-only, so that shell broadcasts reach it.
    return CreateWindowExW(WS_EX_TOOLWINDOW, kHostWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                           application);
}

void RegisterHotKeys(Application& app) {
    if (const auto chosen = ParseHotKey(app.state.revealHotKey)) {
        app.revealKey = *chosen;
    } else if (!app.state.revealHotKey.empty()) {
        LogActivity("reveal hot key unreadable, Ctrl+K instead");
    }
    const std::string name = HotKeyName(app.revealKey);
    app.revealKeyTaken =
        !RegisterHotKey(app.host, kRevealHotKey, app.revealKey.modifiers | MOD_NOREPEAT, app.revealKey.virtualKey);
    if (app.revealKeyTaken) LogActivity("reveal hot key taken " + name);
    if (!RegisterHotKey(app.host, kBrighterHotKey, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, VK_UP))
        LogActivity("brightness hot key taken Ctrl+Alt+Up");
    if (!RegisterHotKey(app.host, kDarkerHotKey, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, VK_DOWN))
        LogActivity("brightness hot key taken Ctrl+Alt+Down");
}

void AddTrayIcon(Application* application, HINSTANCE instance) {
    NOTIFYICONDATAW& tray = application->tray;
    tray = {};
    tray.cbSize = sizeof tray;
    tray.hWnd = application->host;
    tray.uID = 1;
    // Version 4 shows the tooltip only with NIF_SHOWTIP.
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    tray.uCallbackMessage = TrayCallbackMessage;
    tray.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kTrayIconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    if (!tray.hIcon) tray.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wcsncpy(tray.szTip, TrayTip(HotKeyName(application->revealKey), application->revealKeyTaken).c_str(), 127);
    Shell_NotifyIconW(NIM_ADD, &tray);
    tray.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &tray);
}

UniqueMenu BuildTrayMenu(const Application& application) {
    UniqueMenu menu(CreatePopupMenu());
    for (const TrayMenuItem& item : TrayMenuItems(application.state.textScale, application.state.hideFromCapture,
                                                  application.state.followActiveWindow,
                                                  application.state.stepAsideForFullScreen,
                                                  HotKeyName(application.revealKey))) {
        if (item.id == 0) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), item.id, item.text.c_str());
        }
    }
    return menu;
}

void RunTrayCommand(Application& app, unsigned id) {
    if (const auto shape = ShapeForMenuId(id)) {
        app.overlay.BeginCreating(*shape);
    } else if (const auto scale = TextScaleForMenuId(id)) {
        app.state.textScale = *scale;
        app.overlay.Persist();
        app.toolbar.ShowExpanded();
    } else if (id == HideFromCaptureCommand) {
        app.overlay.SetCaptureExclusion(!app.state.hideFromCapture);
    } else if (id == FollowActiveWindowCommand) {
        app.overlay.SetFollowActiveWindow(!app.state.followActiveWindow);
    } else if (id == StepAsideCommand) {
        app.overlay.SetStepAsideForFullScreen(!app.state.stepAsideForFullScreen);
    } else if (id == OpenControlsCommand) {
        app.overlay.RevealFromShortcut();
    } else if (id == HideOverlayCommand) {
        app.overlay.ExitLikeEscape();
    } else if (id == CleanUpCommand) {
        // The review's dialogs must not open under the topmost overlay.
        app.overlay.ExitLikeEscape();
        ReviewOldVersions(app.host);
    } else if (id == QuitCommand) {
        PostMessageW(app.host, QuitMessage, 0, 0);
    }
}
