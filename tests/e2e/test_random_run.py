"""Seeded random user input through X on two monitors; after every step the overlay's invariants hold."""
import os
import random
import statistics
import subprocess
import time

from lumenfold import (MENU, OVERLAY_CLASS, PRESS_LINE, TOOLBAR_CLASS, EnvironmentFailure, Session, centre,
                       check, choose_from_tray_menu, main, tray_icons, wait_until)

SEED = int(os.environ.get("LUMENFOLD_RANDOM_SEED", "2024"))
ACTIONS = int(os.environ.get("LUMENFOLD_RANDOM_ACTIONS", "120"))
INPUT, CONTROLS, CLOSE, GRIP = (f"Lumenfold.Windows.Skylight{n}" for n in ("Input", "Controls", "Close", "Resize"))
LEFT, PRIMARY, SHOWN, BLACK, HIDDEN = [-1024, 0, 0, 768], [0, 0, 1920, 1080], "shown", "blackout", "hidden"
# How often each action is drawn with under 3, 7 and 12 and more skylights (none drawn past CAP, so that what is
# open, and with it memory, stays bounded); one not possible now is drawn again.
CAP = 12
CHANCES = {OVERLAY_CLASS: (4, 2, .3, 0), GRIP: (6,) * 4, CONTROLS: (3,) * 4, CLOSE: (.5, 1.5, 4, 4),
           TOOLBAR_CLASS: (1,) * 4, "command": (4,) * 4}
FOLLOWS = {"same": lambda old, new: new == old or not old and [k["bounds"] for k in new] == [[480, 270, 1440, 810]],
           "edit": lambda old, new: len(new) == len(old),
           "close": lambda old, new: any(new == old[:i] + old[i + 1:] for i in range(len(old))),
           "draw": lambda old, new: new[:-1] == old != new and new[-1]["brightness"] == 100}
print(f"seed {SEED}, {ACTIONS} actions", flush=True)


def edges(rects, y, width=None):  # where row y enters and leaves the rectangles; with width, what lies outside them
    out = []
    for l, _, r, _ in sorted(q for q in rects if q[1] <= y < q[3]):
        out[-1:] = [max(out[-1], r)] if out and l <= out[-1] else out[-1:] + [l, r]
    return out if width is None else [x for g in zip([0] + out[1::2], out[::2] + [width]) if g[0] < g[1] for x in g]


class Run:
    def __init__(self, s, process, host):
        self.s, self.process, self.pid, self.history, self.old = s, process, host["pid"], [], s.settings()["skylights"]
        self.mode, self.monitors, self.base, self.icon = SHOWN, [LEFT, PRIMARY], None, centre(wait_until(
            lambda: tray_icons(s), 10, what="the tray icon")[0])  # added after the overlay shows
        self.level, self.memory, self.skipped = 0, [], 0  # memory's top median of 1000 actions to 5000; presses lost
        self.shape, self.x_stacked, self.since = 0, [], 0  # the tray menu's last shape, for a drawn one; parts X hid
        self.settle("same")

    def press(self, cls):  # a click or a drag on a window of the class, after a move (else it may go beneath)
        rects = [w["rect"] for w in self.ws if w["pid"] == self.pid and w["class"] == cls and w["visible"]]
        (l, t, r, b), m, moon = random.choice(rects or [[0] * 4]), random.choice(self.monitors), random.random() < .2
        # A grip's centre may be a row off-screen; a corner handle's left half lies on its bottom grip.
        moon, p = moon and cls == CONTROLS, ((l + r) // 2 + 7 * (r - l == b - t == 28), (t + b) // 2 - 1)
        if cls == OVERLAY_CLASS:
            p = (random.randrange(m[0], m[2]), random.randrange(m[1], m[3]))
        elif cls == CLOSE:  # its lower part: on a skylight at a monitor's top edge the upper part is off-screen
            p = ((l + r) // 2, b - 4)
        elif cls == TOOLBAR_CLASS:  # its collapse button; collapsed, the strip beside the logo, which expands it
            p = (l + 34 * (r - l) // 344, t + 172 * (r - l) // 344) if r - l > 200 else (l + 3, (t + b) // 2)
        elif cls == CONTROLS:  # the moon or the slider
            p = (r - 33, t + 31) if moon else (l + 14 + random.randrange(max(r - l - 82, 1)), t + 32)
        hits = self.s.reaching(self.ws, *p)  # X stacks overlapping windows its own way: a press on one alone, but
        if self.mode == BLACK or [[w["class"], w["rect"]] for w in hits[:1]] != [[cls, [l, t, r, b]]] or any(
                w["class"] != OVERLAY_CLASS for w in hits[1:] if cls not in (CLOSE, CONTROLS, GRIP)) \
                or not any(m[0] <= p[0] < m[2] and m[1] <= p[1] < m[3] for m in self.monitors) \
                or [l, t, r, b] in self.x_stacked[self.since:]:  # X would move it; X hid it since the last change
            return None  # X is asked below for a part of a skylight (they pile up); none in a blackout a move ends
        q = None if moon or cls in (CLOSE, TOOLBAR_CLASS) or random.random() < .15 else [min(max(a + random.randrange(
            -400, 400) * (i == 0 or cls != CONTROLS), m[i] + 2), m[i + 2] - 3) for i, a in enumerate(p)]  # on a monitor
        self.s.move_mouse(p[0] + (3 if p[0] < 500 else -3), p[1])
        if self.mode == SHOWN and not self.bars_shown(self.ws):  # the move brings back bars a 5 s rest took away,
            self.ws = wait_until(lambda: self.bars_shown(self.s.windows()), 5, what="the bars back after a move")
            return None  # by the next tick, maybe over this part: drawn again with them
        # X has the last word on where a press goes, and Wine may stack another window above a while or for good
        deadline = time.monotonic() + .5
        while cls != TOOLBAR_CLASS and (under := self.s.pointer_window()) != [l, t, r, b]:
            if time.monotonic() > deadline:  # the background stays pressable elsewhere
                if cls != OVERLAY_CLASS:
                    self.x_stacked.append([l, t, r, b])
                self.skipped += 1
                print(f"{cls[18:]} {[l, t, r, b]} under X window {under}", flush=True)
                return None
            time.sleep(.05)
        self.history.append(f"{cls[18:]}{' moon' * moon} at {p}" + (f" to {q}" if q else ""))
        mark, log = self.s.activity_log.stat().st_size, self.s.activity_log.read_bytes  # anew past 1 MB
        self.s.drag(p, q, pressed=cls == OVERLAY_CLASS and (
            lambda: PRESS_LINE.encode() in (d := log())[mark * (len(d) >= mark):]))
        self.mode = BLACK if moon else self.mode
        return {GRIP: "edit", CLOSE: "close", CONTROLS: "same" if moon else "edit", TOOLBAR_CLASS: "same"}.get(
            cls, "draw" if q and self.mode == SHOWN and (q[0] - p[0]) ** 2 + (q[1] - p[1]) ** 2 >= 9 else "same")

    def bars_shown(self, ws):
        return all(w["visible"] for w in ws if w["pid"] == self.pid and w["class"] == CONTROLS) and ws

    def command(self, what=None):  # a hot key (while a Wine window has the X focus), a shake, a tray command
        what = what or random.choice(["ctrl+k", "Escape", "shake"] + MENU[:10] + ["hide", "click"])
        if what in ("ctrl+k", "Escape"):  # a Ctrl tap first: Wine may still hold Ctrl down after a Ctrl+K
            self.s.xdotool("search", "--name", "probe colour", "windowfocus", "--sync", "key", "ctrl", what)
        elif what == "shake" and self.mode == BLACK:
            ox, oy, x, y = *self.s.origin, random.randrange(300, 1600), random.randrange(100, 1000)
            self.s.xdotool(*[a for i in range(16) for a in ("mousemove", x + ox + 60 * (i % 2), y + oy, "sleep", .025)])
        elif what != "shake" and self.mode == HIDDEN:  # the overlay covers the tray as it covers a taskbar
            self.s.move_mouse(self.icon[0] + 3, self.icon[1])
            self.s.click(*self.icon) if what == "click" else choose_from_tray_menu(self.s, what)
        else:
            return None
        self.history.append(what)
        self.shape = MENU.index(what) - 1 if what in MENU[1:7] else self.shape
        self.mode = HIDDEN if what in ("Escape", "hide") else self.mode if what.startswith("size") else SHOWN
        return "same"

    def problems(self, follows):  # where the file, the windows and the overlay's holes (its top is 0) disagree
        self.ws, saved, mode = self.s.windows(), self.s.settings(), self.mode
        (ov,), inputs, bars, closes, grips = ([w for w in self.ws if w["pid"] == self.pid and w["class"] == c]
                                              for c in (OVERLAY_CLASS, INPUT, CONTROLS, CLOSE, GRIP))
        self.new, shown, (left, _, right, _) = saved["skylights"], [w for w in inputs if w["visible"]], ov["rect"]
        holes = [[a + w["rect"][0] - left, c + w["rect"][1], e + w["rect"][0] - left, f + w["rect"][1]]
                 for w in shown for a, c, e, f in w["region"]]
        n, alpha = len(self.new), 255 if mode == BLACK else max(1, (100 - saved["backgroundBrightness"]) * 255 // 100)
        return [f"{what}: {seen}, not {want}" for what, seen, want in (
            (f"the file's skylights {self.new} after {self.history[-1:]}", FOLLOWS[follows](self.old, self.new) and (
                follows != "draw" or self.new[-1]["shape"] == self.shape), True),
            ("the overlay's alpha (False: hidden)", ov["visible"] and ov["alpha"], mode != HIDDEN and alpha),
            ("skylight windows shown", sorted([w["rect"], w["alpha"]] for w in shown), sorted(
                [k["bounds"], (100 - k["brightness"]) * 255 // 100] for k in self.new) if mode == SHOWN else []),
            ("skylight windows, bars, close buttons, grips", [len(inputs), len(bars), len(closes), len(grips)],
             [n, min(n, 50) if mode == SHOWN else min(n, len(bars)), len(bars), 5 * len(bars)]),  # 50 wear them
            ("the overlay's place", ov["rect"], [self.monitors[0][0], 0, 1920, 1080]),
            ("skylights off the monitors", [k for k in self.new if k["bounds"][0] < self.monitors[0][0]], []),
            ("overlay rows unlike the holes", [y for y in range(0, 1080, 5) if ov["visible"] and edges(
                ov["region"], y, right - left) != edges(holes, y)][:4], [])) if seen != want]

    def settle(self, follows):  # the program saves soon after a change
        off, started = [], time.monotonic()
        wait_until(lambda: not (off.clear() or off.extend(self.problems(follows)) or off), 20, what="the invariants",
                   detail=lambda: off)
        self.since, self.old = len(self.x_stacked) if self.new != self.old else self.since, self.new
        if time.monotonic() - started > 2 or self.history[-1:] in (["ctrl+k"], ["Escape"]):  # the pointer still for
            self.s.xdotool("mousemove_relative", "--", 1, 1)  # 5 s, bars step aside; a move brings them back
            self.ws = self.s.windows()

    def sample(self, done):  # X resources beyond an X window for each window of the program; private memory
        x, k = self.s.resources(self.process.pid), len(self.old)
        x["windows"] -= len([w for w in self.ws if w["pid"] == self.pid])
        # Long run: X resources stay as after 1000 actions; memory climbs over the first few thousand and a sample
        # follows what is open (skylights' area most): each 1000 actions' median stays within 5 % of the top to 5000.
        self.base = self.base or done >= 1000 and {n: x[n] for n in ("windows", "GCs", "pixmaps")}
        self.memory.append(x["private_kB"])
        if median := done and done % 1000 == 0 and int(statistics.median(self.memory)):
            self.memory, self.level = [], max(self.level, median) if 1000 < done <= 5000 else self.level
        if done % 100 == 0 or done == ACTIONS:
            area = sum((r - l) * (b - t) for l, t, r, b in (sky["bounds"] for sky in self.old)) // 1000
            print(f"after {done} actions, {k} skylights of {area} kpx at {self.s.settings().get('textScale', 100)} %: "
                  f"{x}; level {self.level} kB{f'; median of 1000 actions {median} kB' * bool(median)}; presses "
                  f"where X had another window: {self.skipped}", flush=True)
        check(not self.base or all(x[n] == self.base[n] for n in self.base), f"X resources after 1000: {self.base}")
        check(done <= 5000 or not median or median <= 1.05 * self.level,
              f"memory's median of 1000 actions {median} kB, its level {self.level} kB")


def random_actions_keep_windows_holes_and_file_in_step():
    with Session("random", two_monitors=True) as s:
        s.focus_colour_window()
        random.seed(SEED)
        process, host, _ = s.start_overlay()
        run, done = Run(s, process, host), 0
        try:
            for done in range(ACTIONS - 3):
                weights = [c[sum(len(run.old) >= n for n in (3, 7, CAP))] for c in CHANCES.values()]
                while not (follows := run.command() if (what := random.choices(list(CHANCES), weights)[0]) == "command"
                           else run.press(what)):
                    pass
                run.settle(follows)
                if done % 20 == 0:
                    run.sample(done)
            run.settle(run.command("ctrl+k"))  # out of the blackout: X moves the pointer with the monitors, a shake
            run.monitors = [LEFT]  # a skylight drawn on the left monitor, which its going moves
            while (follows := run.press(OVERLAY_CLASS)) != "draw":
                follows and run.settle(follows)
            run.settle("draw")
            for on in (False, True):  # the left monitor goes and comes back; Windows tells every window, Wine not
                run.history.append(f"left monitor {'on' if on else 'off'}")
                subprocess.run(["xrandr", "--output", "DUMMY1", *("--mode 1024x768_60 --left-of DUMMY0" if on else
                                                                  "--off").split()], env=s.env, check=True, timeout=30)
                wait_until(lambda: s.probe("monitors") == 1 + on, 20, what="Wine to see the monitors")
                run.monitors, s.origin = ([LEFT, PRIMARY], (1024, 0)) if on else ([PRIMARY], (0, 0))
                s.probe("send", s.windows(OVERLAY_CLASS)[0]["hwnd"], 0x7E, 32, 1080 << 16 | 1920)
                run.settle("edit")
            run.sample(ACTIONS)
            s.quit_running_copy(process)  # a new Wine process, which may stall after xrandr too
        except Exception as failure:
            print(f"FAILED at action {done} of seed {SEED}; the last actions: {run.history[-10:]}; the log's end:",
                  *s.log_lines()[-30:], sep="\n  ", flush=True)
            if isinstance(failure, subprocess.TimeoutExpired) and "monitor" in run.history[-1]:  # Wine 8, measured:
                raise EnvironmentFailure(f"every new Wine process stalls after xrandr: {failure}") from failure
            raise


main(random_actions_keep_windows_holes_and_file_in_step)
