"""What end-to-end tests do with the real Lumenfold.exe: start it, find its windows through the probe,
drive the mouse and keyboard with xdotool, read pixels from screenshots, and read its files."""
import ctypes
import json
import subprocess
import time
from pathlib import Path

from lumenfold_env import (BUILD, PROBE, EnvironmentFailure, TestFailure, WineEnvironment,  # noqa: F401
                           record_retry, wait_until)

EXE = BUILD / "src" / "Lumenfold.exe"

HOST_CLASS = "Lumenfold.Windows.Host"
OVERLAY_CLASS = "Lumenfold.Windows.Overlay"
PRESS_LINE = "background preview begin 50 percent"
ERROR_BOX = "user32.MessageBoxW"
TOPMOST_FOREGROUND = 0x40000 | 0x10000  # MB_TOPMOST | MB_SETFOREGROUND
PACE = 0.15  # seconds between a person's press, moves and release


def in_hole(info, x, y):
    """Whether screen point (x, y) lies in a hole of the region of a window (probe `info`)."""
    wx, wy = x - info["rect"][0], y - info["rect"][1]
    return not any(l <= wx < r and t <= wy < b for l, t, r, b in info["region"]["rects"])


class Session(WineEnvironment):
    """A Wine environment with the program's helpers."""

    # -- the program ----------------------------------------------------------------------------
    def run_program(self, args=(), exe=EXE, timeout=60):
        """Runs Lumenfold to its end through the probe; returns {exit_code, ms, windows}."""
        return self.probe("launch", exe, *args, timeout=timeout)

    def start_program(self, args=(), exe=EXE, relay=None):
        return self.start([exe] + list(args), relay=relay)

    def start_running_copy(self, args=(), exe=EXE, relay=None):
        """Starts Lumenfold and waits until its host window exists; returns (process, host window info)."""
        process = self.start_program(args, exe, relay)
        try:
            return process, self.wait_window(HOST_CLASS, timeout=60)
        except TestFailure as failure:
            raise TestFailure(f"{failure}; the program's exit code: {process.poll()}, its log: "
                              f"{self.log_lines()[-4:]}") from None

    def start_overlay(self, skylights=None, shade=(0, 0, 0), relay=None, **members):
        """Starts Lumenfold (with these settings, if given) and waits until its overlay is complete:
        the start-up line logged and the overlay on screen, `shade` at the bottom right corner.
        Returns (process, host, overlay info)."""
        if skylights is not None:
            self.write_settings(skylights, **members)
        process, host = self.start_running_copy(relay=relay)
        self.wait_log("startup monitors/layout regions=", timeout=30, prefix=True)
        overlay = wait_until(lambda: [w for w in self.windows(OVERLAY_CLASS) if w["visible"]], 10,
                             what="the overlay to show")[0]
        # X maps the window a little after Windows reports it visible; input sent earlier would
        # reach whatever lies beneath.
        self.wait_pixel(1900, 1070, shade, tolerance=2, timeout=15)
        return process, host, overlay

    def error_box_flags(self):
        """The style flags of every error box the program asked for (started with relay=ERROR_BOX)."""
        return [int(call.rsplit(",", 1)[1], 16) for call in self.relay_calls(ERROR_BOX)]

    def overlay_visible(self):
        return self.windows(OVERLAY_CLASS)[0]["visible"]

    def focus_colour_window(self):
        """Hot keys fire only while a Wine window has the X focus: give it to a window of another program."""
        self.hold("colour-window", 40, 40, 40, 1700, 900, 1900, 1060)
        self.xdotool("search", "--sync", "--name", "Lumenfold probe colour", "windowfocus", "--sync")

    def quit_running_copy(self, process):
        """Asks the running copy to save and quit, as a second start with --quit does."""
        result = self.run_program(["--quit"])
        check(result["exit_code"] == 0, f"--quit exit code {result['exit_code']}")
        check(self.wait_exit(process) == 0, "the running copy did not end cleanly")

    def wait_exit(self, process, timeout=30):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"process still running after {timeout} s") from None

    # -- the probe ------------------------------------------------------------------------------
    # Commands that only look; only these may be run again when the probe itself died.
    READ_ONLY = {"find", "list", "wait", "info", "children", "monitors", "clipboard-get", "short-path"}

    def probe(self, *args, timeout=30):
        result = self.wine([PROBE] + list(args), timeout=timeout)
        # Rarely the probe dies without a word while windows come and go under it (its own errors
        # always say something); a look can be taken again, an action never.
        if result.returncode != 0 and not result.stderr.strip() and args[0] in self.READ_ONLY:
            record_retry(f"lfprobe {args[0]} died without a word (exit {result.returncode})")
            result = self.wine([PROBE] + list(args), timeout=timeout)
        if result.returncode != 0:
            raise TestFailure(f"lfprobe {' '.join(map(str, args))} exited {result.returncode}: "
                              f"{result.stderr.strip()}")
        return json.loads(result.stdout)

    def wait_window(self, class_name, timeout=20):
        return self.probe("wait", class_name, int(timeout * 1000), timeout=timeout + 30)

    def windows(self, class_name="*", pid=None):
        args = ["list", class_name] + ([pid] if pid is not None else [])
        return self.probe(*args)

    def window_info(self, hwnd):
        return self.probe("info", hwnd)

    def dialog_texts(self, hwnd):
        return [c["text"] for c in self.probe("children", hwnd) if c["class"].lower() == "static"]

    def press_button(self, hwnd, control_id):
        return self.probe("press", hwnd, control_id)

    def send(self, hwnd, message, wparam=0, lparam=0):
        return self.probe("message", "send", hwnd, message, wparam, lparam)

    def hold(self, *args):
        """Starts a probe command that holds something (a file, the clipboard, a colour window) and
        waits until it says so; returns (process, first line). The session ends it."""
        process = subprocess.Popen(["wine", str(PROBE)] + [str(a) for a in args], env=self.env,
                                   stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.children.append(process)
        line = process.stdout.readline().decode().strip()
        if not line:
            raise TestFailure(f"lfprobe {args[0]} did not start")
        return process, line

    def wait_dialog(self, title, timeout=20):
        """Waits for a dialog box of this process tree with the title; returns its info."""
        def find():
            return [w for w in self.windows("#32770") if w["title"] == title and w["visible"]]
        return wait_until(find, timeout, interval=0.2, what=f"dialog '{title}'")[0]

    # -- X input and pixels ---------------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

    def move_mouse(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1):
        self.move_mouse(x, y)
        self.xdotool("mousedown", button)
        time.sleep(PACE)
        self.xdotool("mouseup", button)

    def background_gesture(self, start, end=None, steps=6):
        """Presses on the overlay's background at `start`, moves to `end` (if given) and releases, at
        a person's pace. Without a window manager Wine now and then loses a press on the full-screen
        overlay; only a press that provably never arrived (no press line in the activity log) is
        performed once more, and counted."""
        for attempt in (1, 2):
            presses = self.log_lines().count(PRESS_LINE)
            self.move_mouse(*start)
            self.xdotool("mousedown", 1)
            try:
                wait_until(lambda: self.log_lines().count(PRESS_LINE) > presses, 5, what="the press to arrive")
                break
            except TestFailure:
                self.xdotool("mouseup", 1)
                if attempt == 2 or self.log_lines().count(PRESS_LINE) > presses:
                    raise
                record_retry("a press on the overlay never reached the program")
        time.sleep(PACE)
        if end:
            for i in range(1, steps + 1):
                self.move_mouse(start[0] + (end[0] - start[0]) * i // steps,
                                start[1] + (end[1] - start[1]) * i // steps)
                time.sleep(PACE / 2)
        self.xdotool("mouseup", 1)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def pointer_visible(self):
        """Whether the X server draws a visible pointer: any opaque pixel in its current image."""
        x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
        xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = x11.XFree.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        if not display:
            raise EnvironmentFailure(f"cannot open display {self.env['DISPLAY']}")
        try:
            image = xfixes.XFixesGetCursorImage(display)
            if not image:
                raise TestFailure("XFixesGetCursorImage failed")
            count = image.contents.width * image.contents.height
            visible = any(image.contents.pixels[i] >> 24 for i in range(count))
            x11.XFree(image)
            return visible
        finally:
            x11.XCloseDisplay(display)

    def screenshot(self):
        """The whole screen as an (width, height, rgb bytes) tuple."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True,
                              check=True, timeout=30).stdout
        return _parse_ppm(data)

    def pixel(self, x, y):
        width, _, rgb = self.screenshot()
        offset = (y * width + x) * 3
        return tuple(rgb[offset:offset + 3])

    def wait_pixel(self, x, y, expected, tolerance=2, timeout=10):
        """Polls a screen pixel until it is within `tolerance` per channel of `expected`."""
        last = [None]

        def matches():
            last[0] = self.pixel(x, y)
            return all(abs(a - b) <= tolerance for a, b in zip(last[0], expected))
        try:
            return wait_until(matches, timeout, interval=0.1, what=f"pixel ({x}, {y}) = {expected}")
        except TestFailure as failure:
            raise TestFailure(f"{failure}; last seen {last[0]}") from None

    # -- files ----------------------------------------------------------------------------------
    @property
    def activity_log(self):
        return self.data_folder / "activity.log"

    def log_lines(self):
        """The activity log's messages, without the time prefix."""
        if not self.activity_log.exists():
            return []
        lines = self.activity_log.read_bytes().decode("utf-8", "replace").splitlines()
        return [line.split(" UTC ", 1)[1] if " UTC " in line else line for line in lines]

    def wait_log(self, message, timeout=10, prefix=False):
        def logged():
            return any(line.startswith(message) for line in self.log_lines()) if prefix else message in self.log_lines()
        try:
            return wait_until(logged, timeout, what=f"log line '{message}'")
        except TestFailure as failure:
            raise TestFailure(f"{failure}; the log ends {self.log_lines()[-4:]}") from None

    @property
    def settings_file(self):
        return self.data_folder / "settings.json"

    def write_settings(self, skylights, **members):
        """Stores a settings file with these skylights (and other top-level members); returns its bytes."""
        self.data_folder.mkdir(parents=True, exist_ok=True)
        document = {"version": 1, "skylights": skylights, **members}
        self.settings_file.write_text(json.dumps(document), encoding="utf-8")
        return self.settings_file.read_bytes()

    def settings(self):
        return json.loads(self.settings_file.read_text(encoding="utf-8"))


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def _parse_ppm(data):
    fields, index = [], 0
    while len(fields) < 4:
        while data[index:index + 1].isspace():
            index += 1
        if data[index:index + 1] == b"#":
            index = data.index(b"\n", index) + 1
            continue
        end = index
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[index:end])
        index = end
    index += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise TestFailure("unexpected screenshot format")
    return int(fields[1]), int(fields[2]), data[index:]


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def main(*tests):
    """Runs end-to-end scenarios one by one, each reported on its own; any failure fails the script.

    A scenario runs again only when its world did not come up (display, compositor, wineserver); a
    failed check of the program is final. Every retry is printed and counted."""
    import sys
    import traceback
    failed = []
    for test in tests:
        for attempt in (1, 2):
            started = time.monotonic()
            try:
                test()
                print(f"passed {test.__name__} in {time.monotonic() - started:.1f} s", flush=True)
                break
            except EnvironmentFailure as failure:
                if attempt == 2:
                    traceback.print_exc()
                    failed.append(test.__name__)
                else:
                    record_retry(f"{test.__name__}: {failure}")
            except Exception:
                traceback.print_exc()
                print(f"FAILED {test.__name__} after {time.monotonic() - started:.1f} s", flush=True)
                failed.append(test.__name__)
                break
    print(f"{len(tests) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
