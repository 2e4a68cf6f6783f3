#include "overlay/focus_follower.h"

#include <dwmapi.h>

#include <cwchar>
#include <utility>

#include "common/win_geometry.h"
#include "overlay/focus_rules.h"

namespace {

// Out-of-context callbacks carry no context: the one running follower.
FocusFollower* running = nullptr;

ForegroundFacts FactsOf(HWND window) {
    ForegroundFacts facts;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    facts.ours = process == GetCurrentProcessId();
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    facts.shell = window == GetShellWindow() || window == GetDesktopWindow() || !wcscmp(name, L"Shell_TrayWnd") ||
                  !wcscmp(name, L"Shell_SecondaryTrayWnd") || !wcscmp(name, L"Progman") || !wcscmp(name, L"WorkerW");
    DWORD cloaked = 0;
    facts.cloaked = SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
    facts.visible = IsWindowVisible(window);
    facts.minimised = IsIconic(window);
    RECT r{};
    if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r))) facts.frame = ToRect(r);
    if (GetWindowRect(window, &r)) facts.window = ToRect(r);
    return facts;
}

std::vector<Rect> Monitors() {
    std::vector<Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR, HDC, LPRECT r, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<Rect>*>(list)->push_back(ToRect(*r));
        return TRUE;
    }, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

}  // namespace

void FocusFollower::Start(Handler changed) {
    Stop();
    running = this;
    handler = std::move(changed);
    monitors = Monitors();
    for (auto [first, last] : {std::pair{EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
                               {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
                               {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE}}) {
        // Our own windows never take the focus over, and they move often. Not narrowed to the followed
        // window's process: Wine counts a move as an event of the process that made it, so a window moved
        // by another program would be missed.
        if (HWINEVENTHOOK hook = SetWinEventHook(first, last, nullptr, OnEvent, 0, 0,
                                                 WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS))
            hooks.push_back(hook);
    }
    lastFollowed.reset();
    lastFullScreen.reset();
    handler(std::nullopt, std::nullopt);
    Update(GetForegroundWindow());
}

void FocusFollower::Stop() {
    for (HWINEVENTHOOK hook : hooks) UnhookWinEvent(hook);
    hooks.clear();
    followed = nullptr;
    if (running == this) running = nullptr;
}

void CALLBACK FocusFollower::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD,
                                     DWORD) noexcept {
    if (!running || !window || object != OBJID_WINDOW) return;
    try {
        // Moves of other windows (and the pointer's, which come as location events too) change nothing.
        if (event == EVENT_OBJECT_LOCATIONCHANGE && window != running->followed && window != GetForegroundWindow())
            return;
        running->Update(event == EVENT_SYSTEM_FOREGROUND ? window : GetForegroundWindow());
    } catch (...) {
    }
}

void FocusFollower::Update(HWND foreground) {
    std::optional<Rect> now, fullScreen;
    const ForegroundFacts facts = foreground ? FactsOf(foreground) : ForegroundFacts{};
    if (foreground && MayBecomeFocus(facts)) {
        followed = foreground;
        now = FollowedRect(facts);
        fullScreen = FullScreenMonitor(facts, monitors);
    } else if (followed && IsWindow(followed)) {
        now = FollowedRect(FactsOf(followed));
    }
    if (now == lastFollowed && fullScreen == lastFullScreen) return;
    lastFollowed = now;
    lastFullScreen = fullScreen;
    handler(now, fullScreen);
}
