#pragma once
// Keeps the outline of the window the user works in, from window events rather than a poll.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "common/geometry.h"

class FocusFollower {
public:
    using Handler = std::function<void(std::optional<Rect>)>;
    FocusFollower() = default;
    FocusFollower(const FocusFollower&) = delete;
    FocusFollower& operator=(const FocusFollower&) = delete;
    ~FocusFollower() { Stop(); }

    // Hooks the foreground, location and minimise events; `changed` gets the followed outline at
    // once and after every change (none while nothing may be followed). One follower per process.
    void Start(Handler changed);
    void Stop();

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time) noexcept;
    void Update(HWND foreground);

    std::vector<HWINEVENTHOOK> hooks;
    HWND followed = nullptr;
    std::optional<Rect> last;
    Handler handler;
};
