#pragma once
// Keeps the outline of the window the user works in, from window events rather than a poll.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "common/geometry.h"

class FocusFollower {
public:
    // The followed outline and the monitor a full-screen foreground window fills (none when none).
    using Handler = std::function<void(std::optional<Rect> followed, std::optional<Rect> fullScreen)>;
    FocusFollower() = default;
    FocusFollower(const FocusFollower&) = delete;
    FocusFollower& operator=(const FocusFollower&) = delete;
    ~FocusFollower() { Stop(); }

    // Hooks the foreground, location and minimise events; `changed` is called at once and after
    // every change. The monitors are read here: start again after a display change. One follower per process.
    void Start(Handler changed);
    void Stop();

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time) noexcept;
    void Update(HWND foreground);

    std::vector<HWINEVENTHOOK> hooks;
    std::vector<Rect> monitors;
    HWND followed = nullptr;
    std::optional<Rect> lastFollowed;
    std::optional<Rect> lastFullScreen;
    Handler handler;
};
