#pragma once
// The one object that owns every long-lived piece of the program. Members are destroyed in reverse
// order, which is the order teardown needs.
#include <windows.h>
#include <shellapi.h>

#include "app/hot_key_text.h"
#include "overlay/overlay_window.h"
#include "state/app_state.h"
#include "toolbar/toolbar_window.h"

struct Application {
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    // A start that stops half-way still takes the host window and the tray icon down before the
    // objects its window procedure reaches.
    ~Application() {
        if (host) DestroyWindow(host);
        // The overlay outlives the toolbar by a moment: nothing it reports may reach a destroyed toolbar.
        overlay.SetVisibilityHandler(nullptr);
        overlay.SetInteractionHandler(nullptr);
        overlay.SetControlsRequestedHandler(nullptr);
    }

    AppState state;
    OverlayWindow overlay;
    ToolbarWindow toolbar;  // after the overlay: it is destroyed first, while its owner window still exists
    HWND host = nullptr;
    NOTIFYICONDATAW tray{};
    HotKey revealKey = kDefaultRevealKey;  // in force: the settings' text when readable
    bool revealKeyTaken = false;           // another program registered it first
    // The quit-failure box is open: a further quit request neither saves nor stacks a second box.
    bool quitFailureOpen = false;
};
