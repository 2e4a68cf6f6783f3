// Timings of the settings file, the overlay's refresh and a skylight drag step under Wine, for 1 to
// 50 skylights. Run it
// on a two-monitor display (tools/bench.sh does); the figures include Wine's and the X server's
// own cost and are indicative only.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "overlay/overlay_geometry.h"
#include "overlay/overlay_window.h"
#include "state/settings_file.h"

namespace {

double MicrosecondsPerRun(int runs, const std::function<void()>& work) {
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i) work();
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / runs;
}

AppState Layout(int count) {
    AppState state;
    state.backgroundBrightness = 30;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    for (int i = 0; i < count; ++i) {
        const int x = left + (i * 97) % (width - 300);
        const int y = (i * 53) % 700;
        state.skylights.push_back({{x, y, x + 240, y + 160}, static_cast<SkylightShape>(i % 6), 100, true});
    }
    return state;
}

}  // namespace

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The mouse poll and a preview step with 10 skylights, and the CPU the overlay takes while idle.
void PollAndIdle(int idleSeconds) {
    AppState state = Layout(10);
    OverlayWindow overlay;
    if (!overlay.Create(GetModuleHandleW(nullptr), &state)) return;
    const double poll = MicrosecondsPerRun(2000, [&] { overlay.PollMouse(); });
    overlay.BeginBackgroundPress({400, 400});
    int step = 0;
    const double preview = MicrosecondsPerRun(100, [&] {
        const LONG x = 700 + (step++ % 2);
        overlay.MoveBackgroundPointer({x, 600});
    });
    overlay.CancelPreview();
    overlay.Refresh();
    std::printf("10 skylights: PollMouse %.1f us, preview step %.1f us\n", poll, preview);

    auto idleCpu = [&](const char* what) {
        const double cpuBefore = ProcessCpuSeconds();
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(idleSeconds) * 1000;
        MSG message;
        while (GetTickCount64() < end) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        std::printf("idle with the overlay %s: %.3f s of CPU in %d s (%.2f %% of one core)\n", what, cpu, idleSeconds,
                    100.0 * cpu / idleSeconds);
    };
    idleCpu("shown");
    overlay.ExitLikeEscape();
    idleCpu("hidden");
}

int main(int argc, char** argv) {
    std::printf("virtual screen %d x %d at %d\n", GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_XVIRTUALSCREEN));
    std::printf("%10s %10s %10s %14s %12s %12s %12s\n", "skylights", "save", "load", "refresh same",
                "drag step", "its region", "its windows");
    for (int count : {1, 10, 50}) {
        const AppState layout = Layout(count);
        const int runs = 100;
        const double save = MicrosecondsPerRun(runs, [&] { SaveSettings(layout); });
        const double load = MicrosecondsPerRun(runs, [&] {
            AppState loaded;
            LoadSettings(loaded);
        });
        AppState state = layout;
        OverlayWindow overlay;
        if (!overlay.Create(GetModuleHandleW(nullptr), &state)) return 1;
        const double same = MicrosecondsPerRun(runs, [&] { overlay.Refresh(); });
        // One step of dragging a skylight by a pixel, a frame after the last one (closer steps wait
        // for the drag timer): the region, all its windows and its grips. Then the two halves alone.
        SkylightWindow& dragged = *overlay.SkylightWindows()[0];
        const Rect start = state.skylights[0].bounds;
        dragged.BeginDrag({start.left + 50, start.top + 50}, nullptr);
        int step = 0;
        double moved = 0;
        for (int i = 0; i < runs; ++i) {
            Sleep(17);
            moved += MicrosecondsPerRun(1, [&] { dragged.MoveDrag({start.left + 51 + (step++ % 2), start.top + 50}); });
        }
        moved /= runs;
        auto nudge = [&] { state.skylights[0].bounds = Offset(start, 2 + (step++ % 2), 0); };
        const double region = MicrosecondsPerRun(runs, [&] {
            nudge();
            overlay.ApplyWindowRegion();
        });
        const double windows = MicrosecondsPerRun(runs, [&] {
            nudge();
            dragged.Update(true);
        });
        dragged.EndDrag();
        std::printf("%10d %7.1f ms %7.1f ms %11.2f ms %9.1f ms %9.1f ms %9.1f ms\n", count, save / 1000, load / 1000,
                    same / 1000, moved / 1000, region / 1000, windows / 1000);
    }
    PollAndIdle(argc > 1 ? std::atoi(argv[1]) : 60);
    return 0;
}
