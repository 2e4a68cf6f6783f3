// Timings under Wine of what a user waits for: the settings file, the overlay's refresh, a drag step,
// the mouse poll, the toolbar's paint and the CPU the program takes while idle. Prints one line per
// figure ("ROW<tab>operation<tab>size<tab>median<tab>p95<tab>unit"), which bench/report.py turns into
// bench/results.md. Run it on a two-monitor display (tools/bench.sh does); the figures include
// Wine's and the X server's own cost.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "overlay/overlay_geometry.h"
#include "overlay/overlay_window.h"
#include "state/settings_file.h"
#include "toolbar/toolbar_window.h"

namespace {

double Now() {
    LARGE_INTEGER frequency{}, counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Row(const char* operation, int size, std::vector<double> samples, double scale, const char* unit) {
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const double p95 = samples[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];  // nearest rank
    std::printf("ROW\t%s\t%d\t%.4g\t%.4g\t%s\n", operation, size, median * scale, p95 * scale, unit);
    std::fflush(stdout);
}

// Seconds each run took.
std::vector<double> Time(int runs, const std::function<void()>& work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        samples.push_back(Now() - start);
    }
    return samples;
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

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Share of one core in each of `windows` stretches of `seconds`, pumping messages as the program does.
std::vector<double> IdleCpu(int windows, int seconds) {
    std::vector<double> shares;
    for (int i = 0; i < windows; ++i) {
        const double before = ProcessCpuSeconds();
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
        MSG message;
        // Woken only by the program's own timers and messages, as its message loop is.
        for (ULONGLONG now; (now = GetTickCount64()) < end;) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT) ==
                WAIT_OBJECT_0)
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        shares.push_back((ProcessCpuSeconds() - before) / seconds);
    }
    return shares;
}

void Settings() {
    const AppState layout = Layout(1000);
    Row("settings save", 1000, Time(50, [&] { SaveSettings(layout); }), 1e3, "ms");
    Row("settings load", 1000, Time(50, [&] {
            AppState loaded;
            LoadSettings(loaded);
        }), 1e3, "ms");
}

// A refresh with nothing changed, and one step of dragging a skylight by a pixel a frame after the
// last one (closer steps wait for the drag timer), then its two halves alone.
bool Overlay(int count) {
    AppState state = Layout(count);
    OverlayWindow overlay;
    if (!overlay.Create(GetModuleHandleW(nullptr), &state)) return false;
    Row("refresh, nothing changed", count, Time(200, [&] { overlay.Refresh(); }), 1e3, "ms");
    SkylightWindow& dragged = *overlay.SkylightWindows()[0];
    const Rect start = state.skylights[0].bounds;
    dragged.BeginDrag({start.left + 50, start.top + 50}, nullptr);
    int step = 0;
    std::vector<double> steps;
    for (int i = 0; i < 60; ++i) {
        Sleep(17);
        const double at = Now();
        dragged.MoveDrag({start.left + 51 + (step++ % 2), start.top + 50});
        steps.push_back(Now() - at);
    }
    Row("drag step", count, steps, 1e3, "ms");
    auto nudge = [&] { state.skylights[0].bounds = Offset(start, 2 + (step++ % 2), 0); };
    Row("drag step: the overlay's region", count, Time(60, [&] {
            nudge();
            overlay.ApplyWindowRegion();
        }), 1e3, "ms");
    Row("drag step: the skylight's windows", count, Time(60, [&] {
            nudge();
            dragged.Update(true);
        }), 1e3, "ms");
    dragged.EndDrag();
    if (count != 10) return true;

    overlay.BeginBackgroundPress({400, 400});
    const auto preview = Time(60, [&] { overlay.MoveBackgroundPointer({700 + (step++ % 2), 600}); });
    overlay.CancelPreview();
    overlay.Refresh();
    Row("preview step", count, preview, 1e3, "ms");
    return true;
}

// The toolbar shown expanded with the cached banner report.py leaves in the data folder, and the CPU
// the program takes while idle, the overlay shown and then hidden.
void ToolbarAndIdle(int idleWindows, int idleSeconds) {
    AppState state = Layout(10);
    OverlayWindow overlay;
    ToolbarWindow toolbar;
    if (!overlay.Create(GetModuleHandleW(nullptr), &state) ||
        !toolbar.Create(GetModuleHandleW(nullptr), &overlay, true))
        return;
    overlay.SetTickHandler([&](POINT cursor) { toolbar.PollAutoVisibility(cursor); });  // as the program wires them
    toolbar.ShowExpanded();
    // The program's message loop empties the queue between ticks; left full after the showing, it slows
    // every tick under Wine.
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    Row("PollMouse tick, pointer still", 10, Time(2000, [&] { overlay.PollMouse(); }), 1e6, "us");
    Row("toolbar paint with a banner", 1, Time(100, [&] {
            InvalidateRect(toolbar.Window(), nullptr, FALSE);  // the whole window, as a new snapshot does
            toolbar.Paint();
        }), 1e3, "ms");
    Row("idle CPU, overlay shown", 10, IdleCpu(idleWindows, idleSeconds), 100, "% of a core");
    overlay.ExitLikeEscape();
    toolbar.Hide();
    Row("idle CPU, overlay hidden", 10, IdleCpu(idleWindows, idleSeconds), 100, "% of a core");
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("virtual screen %d x %d at %d\n", GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_XVIRTUALSCREEN));
    Settings();
    for (int count : {1, 10, 50})
        if (!Overlay(count)) return 1;
    // Six stretches of ten seconds each by default; the argument sets the stretch.
    ToolbarAndIdle(6, argc > 1 ? std::atoi(argv[1]) : 10);
    return 0;
}
