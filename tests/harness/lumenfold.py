"""What end-to-end tests do with the real Lumenfold.exe: start it, find its windows through the probe,
drive the mouse and keyboard with xdotool, read pixels from screenshots, and read its files."""
import json
import subprocess
import time
from pathlib import Path

from lumenfold_env import BUILD, PROBE, TestFailure, WineEnvironment, wait_until  # noqa: F401 (re-exported)

EXE = BUILD / "src" / "Lumenfold.exe"

HOST_CLASS = "Lumenfold.Windows.Host"
OVERLAY_CLASS = "Lumenfold.Windows.Overlay"


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

    def start_program(self, args=(), exe=EXE):
        return self.start([exe] + list(args))

    def start_running_copy(self, args=(), exe=EXE):
        """Starts Lumenfold and waits until its host window exists; returns (process, host window info)."""
        process = self.start_program(args, exe)
        try:
            return process, self.wait_window(HOST_CLASS)
        except TestFailure as failure:
            raise TestFailure(f"{failure}; the program's exit code: {process.poll()}, its log: "
                              f"{self.log_lines()[-4:]}") from None

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
    def probe(self, *args, timeout=30):
        for attempt in range(3):
            result = self.wine([PROBE] + list(args), timeout=timeout)
            # Rarely the probe dies without a word while windows come and go under it; its own
            # errors always say something.
            if result.returncode == 0 or result.stderr.strip():
                break
        if result.returncode != 0:
            raise TestFailure(f"lfprobe {' '.join(map(str, args))} exited {result.returncode}: "
                              f"{result.stderr.strip()}")
        return json.loads(result.stdout)

    def try_probe(self, *args, timeout=30):
        result = self.wine([PROBE] + list(args), timeout=timeout)
        return json.loads(result.stdout) if result.returncode == 0 else None

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

    def post(self, hwnd, message, wparam=0, lparam=0):
        return self.probe("message", "post", hwnd, message, wparam, lparam)

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

    def click(self, x, y, button=1, done=None):
        self.gesture(lambda: (self.move_mouse(x, y), self.xdotool("click", button)), done)

    def drag(self, start, end, steps=10, pressed=None, done=None):
        """Presses at `start`, waits until `pressed()` confirms the press arrived (as a user waits to
        see it), then moves to `end` in steps and releases."""
        def perform():
            self.move_mouse(*start)
            self.xdotool("mousedown", 1)
            if pressed:
                wait_until(pressed, 10, what="the press to arrive")
            for i in range(1, steps + 1):
                self.move_mouse(start[0] + (end[0] - start[0]) * i // steps,
                                start[1] + (end[1] - start[1]) * i // steps)
            self.xdotool("mouseup", 1)
        self.gesture(perform, done)

    def gesture(self, perform, done=None):
        """Performs a mouse gesture; with `done`, waits for its effect and performs it once more if
        it was lost. Without a window manager, Wine now and then drops the pointer events that
        follow a press on a full-screen window while it grabs and releases the pointer."""
        perform()
        if done is None:
            return
        for attempt in range(2):
            try:
                return wait_until(done, 5, what="the effect of a mouse gesture")
            except TestFailure:
                if attempt:
                    raise
                perform()

    def focus_x_window(self, title):
        """Gives X focus to the Wine window with this title (hot keys need a focused Wine window)."""
        self.xdotool("search", "--sync", "--name", title, "windowfocus", "--sync")

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

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

    def wait_log(self, message, timeout=10):
        try:
            return wait_until(lambda: message in self.log_lines(), timeout, what=f"log line '{message}'")
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
    """Runs end-to-end test functions, each reported on its own; any failure fails the script.

    A scenario that fails is run once more in a fresh environment and reported as flaky when it then
    passes: under load Wine and the X server now and then stall a start or lose input, and one such
    stall must not hide the other scenarios' results. A fault of the program fails both runs."""
    import sys
    import traceback
    failed, flaky = [], []
    for test in tests:
        for attempt in (1, 2):
            started = time.monotonic()
            try:
                test()
                print(f"passed {test.__name__} in {time.monotonic() - started:.1f} s", flush=True)
                if attempt == 2:
                    flaky.append(test.__name__)
                break
            except Exception:
                traceback.print_exc()
                print(f"FAILED {test.__name__} (attempt {attempt}) after {time.monotonic() - started:.1f} s",
                      flush=True)
                if attempt == 2:
                    failed.append(test.__name__)
    if flaky:
        print(f"flaky (passed on the second attempt): {', '.join(flaky)}")
    print(f"{len(tests) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
