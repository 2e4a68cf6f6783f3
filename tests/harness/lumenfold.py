"""End-to-end tests' hands and eyes on the real Lumenfold.exe: probe, xdotool, pixels, its files."""
import ctypes
import json
import os
import re
import shutil
import select
import subprocess
import sys
import time
import traceback

from lumenfold_env import (BUILD, EnvironmentFailure, TestFailure, WineEnvironment, emulation_missing,  # noqa: F401
                           record_retry, run_with_retry, wait_until)

EXE = BUILD / "src" / "Lumenfold.exe"
HOST_CLASS = "Lumenfold.Windows.Host"
OVERLAY_CLASS = "Lumenfold.Windows.Overlay"
TOOLBAR_CLASS = "Lumenfold.Windows.Toolbar"
STARTED_LINE = "startup monitors/layout regions="
PRESS_LINE = "background preview begin 50 percent"
COLOUR_CLASS = "Lumenfold.Probe.Colour"
ERROR_BOX = "user32.MessageBoxW"
INFO_TITLE = "Lumenfold · 信息 / Information"
TOPMOST_FOREGROUND = 0x40000 | 0x10000  # MB_TOPMOST | MB_SETFOREGROUND
WM_COMMAND, OK, CANCEL = 0x0111, 1, 2
BRIGHT, SCREEN = (250, 200, 100), (0, 0, 1920, 1080)  # another program's window under the overlay
PACE = float(os.environ.get("LUMENFOLD_PACE", .15))  # seconds between a person's press, moves and release
TRAY_CLASS = "__winex11_standalone_tray"
# A clear skylight over Wine's tray (top left), low so that its grips stay clear of the icon.
TRAY_SKYLIGHT = [{"bounds": [0, 0, 300, 44], "shape": 2}]
# From the top; a separator stands before the sizes.
MENU = ["open", "rounded", "elliptical", "rectangle", "circle", "horizontal", "vertical",
        "size 100", "size 125", "size 150", "no capture", "follow", "step aside", "clean up", "hide", "quit"]


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def in_hole(info, x, y):  # in a hole of the window's region
    wx, wy = x - info["rect"][0], y - info["rect"][1]
    return not any(l <= wx < r and t <= wy < b for l, t, r, b in info["region"])


def centre(info):
    left, top, right, bottom = info["rect"]
    return (left + right) // 2, (top + bottom) // 2


def tray_icons(session):
    tray = session.windows(TRAY_CLASS)
    return [c for c in session.probe("children", tray[0]["hwnd"]) if c["visible"]] if tray else []


def choose_from_tray_menu(session, entry):
    session.click(*centre(wait_until(lambda: tray_icons(session), 10, what="the tray icon")[0]), 3)
    menus = wait_until(lambda: session.shown("#32768"), 10, what="the tray menu")
    check(len(menus) == 1, f"{len(menus)} menus open")
    left, top, right, bottom = menus[0]["rect"]
    separator, index = 9, MENU.index(entry)
    item = (bottom - top - 6 - separator) // len(MENU)
    y = top + 3 + index * item + item // 2 + (separator if index >= MENU.index("size 100") else 0)
    session.click((left + right) // 2, y)
    wait_until(lambda: not session.shown("#32768"), 10, what="the menu to close")


class Session(WineEnvironment):
    # -- the program ----------------------------------------------------------------------------
    def run_program(self, args=(), exe=None, timeout=60):  # returns {exit_code, ms, windows}
        return self.probe("launch", exe or self.build / "src" / "Lumenfold.exe", *args, timeout=timeout)

    def start_running_copy(self, exe=None, relay=None):  # returns (process, host window info)
        process = self.start([exe or self.build / "src" / "Lumenfold.exe"], relay=relay)
        host = wait_until(lambda: self.windows(HOST_CLASS), 60, what="the host window",
                          detail=lambda: f"exit code {process.poll()}, the log ends {self.log_lines()[-4:]}")[0]
        self.wait_log(STARTED_LINE, timeout=90, prefix=True)  # a thousand stored skylights, emulated
        return process, host

    def start_overlay(self, skylights=None, shade=(0, 0, 0), relay=None, backdrop=None, **members):
        """Returns (process, host, overlay) once the overlay shows `shade` at the bottom right."""
        if backdrop:
            self.hold("colour-window", *BRIGHT, *backdrop)
        if skylights is not None:
            self.write_settings(skylights, **members)
        process, host = self.start_running_copy(relay=relay)
        overlay = wait_until(lambda: self.shown(OVERLAY_CLASS), 10, what="the overlay to show")[0]
        # X maps the window after Windows calls it visible; earlier input would reach what lies beneath.
        self.wait_pixel(1900, 1070, shade, timeout=15)
        return process, host, overlay

    def wait_error_box(self, message):
        """The one error box (relay=ERROR_BOX), checked to begin with `message` and to rise above the overlay."""
        box = wait_until(lambda: [w for w in self.shown("#32770") if w["title"] == INFO_TITLE], 20, interval=0.2,
                         what="the error box")[0]
        texts = self.box_texts(box)
        check(any(t.startswith(message) for t in texts), f"the box says {texts}")
        # Wine 8 ignores the flags (and shows the box above anyway): read them from its log of the call.
        flags = [int(call.rsplit(",", 1)[1], 16) for call in self.relay_calls(ERROR_BOX)]
        check([f & TOPMOST_FOREGROUND for f in flags] == [TOPMOST_FOREGROUND],
              f"asked for boxes with {list(map(hex, flags))}")
        return box

    def box_texts(self, box):
        return [c["title"] for c in self.probe("children", box["hwnd"]) if c["class"].lower() == "static"]

    def answer_box(self, box, button):
        self.probe("send", box["hwnd"], WM_COMMAND, button, 0)
        wait_until(lambda: not self.shown("#32770"), 10, what="the box to close")

    def overlay_visible(self):
        return self.windows(OVERLAY_CLASS)[0]["visible"]

    def focus_colour_window(self):
        """Hot keys fire only while a Wine window has the X focus: give it to a window of another program."""
        self.hold("colour-window", 40, 40, 40, 1700, 900, 1900, 1060)
        self.xdotool("search", "--sync", "--name", "Lumenfold probe colour", "windowfocus", "--sync")

    def quit_running_copy(self, process, exe=None):
        check((code := self.run_program(["--quit"], exe)["exit_code"]) == 0, f"--quit exit code {code}")
        check(self.wait_exit(process) == 0, "the running copy did not end cleanly")

    def wait_exit(self, process, timeout=30):
        wait_until(lambda: process.poll() is not None, timeout, what="the process to end")
        return process.returncode

    def reaching(self, windows, x, y):  # the windows a press at (x, y) may go to, top first as far as Windows knows
        return [w for w in windows if w["visible"] and not w["exstyle"] & 0x20 and (not w["region"] or not in_hole(
            w, x, y)) and w["rect"][0] <= x < w["rect"][2] and w["rect"][1] <= y < w["rect"][3]]  # 0x20: click-through

    def resources(self, pid):  # a Linux process's X resources (by xrestop) and private memory written to
        out = subprocess.run(["xrestop", "-b", "-m", "1"], env=self.env, capture_output=True, text=True).stdout
        mine = re.search(rf"PID:\s*{pid} \):(.*?)(\n\d+ - |$)", out, re.S)[1]
        with open(f"/proc/{pid}/smaps_rollup") as rollup:  # clean pages are code read so far, not memory held
            return dict({k: int(re.search(rf"{k}\s*: (\d+)", mine)[1]) for k in ("windows", "GCs", "pixmaps")},
                        private_kB=sum(map(int, re.findall(r"(?:Private_Dirty|Swap):\s+(\d+)", rollup.read()))))

    # -- the probe ------------------------------------------------------------------------------
    READ_ONLY = {"list", "children", "monitors", "short-path"}  # never the clipboard: the program notices

    def probe(self, *args, timeout=30):
        answer = self._served(args, timeout) if args[0] in ("list", "children") and self.arch == "x64" else None
        if answer is not None:
            return answer
        result = self.wine([self.probe_exe] + list(args), timeout=timeout)
        # Rarely the probe dies silently while windows come and go (its own errors say something).
        if result.returncode != 0 and not result.stderr.strip() and args[0] in self.READ_ONLY:
            record_retry(f"lfprobe {args[0]} died without a word (exit {result.returncode})")
            result = self.wine([self.probe_exe] + list(args), timeout=timeout)
        if "error 1359" in result.stderr:  # ERROR_INTERNAL_ERROR: Wine's new process died before it began
            raise EnvironmentFailure(f"lfprobe {args[0]}: {result.stderr.strip()}")
        if result.returncode != 0:
            raise TestFailure(f"lfprobe {' '.join(map(str, args))} exited {result.returncode}: "
                              f"{result.stderr.strip()}")
        return json.loads(result.stdout)

    # By one probe that stays: a Wine process start for each look is slow. Not on ARM64, where Wine's tray window
    def _served(self, args, timeout):  # then stayed away after a restart of the program (cause not found)
        if not getattr(self, "server", None) or self.server.poll() is not None:
            self.server = subprocess.Popen(self.wrapper + ["wine", str(self.probe_exe), "serve"], env=self.env,
                                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True,
                                           stderr=subprocess.DEVNULL)
            self.children.append(self.server)
        self.server.stdin.write(("\t".join(map(str, args)) + "\n").encode())
        self.server.stdin.flush()
        out, deadline, fd = b"", time.monotonic() + timeout, self.server.stdout.fileno()
        while not (done := re.search(rb"(?:^|\n)done (\d+)\r?\n", out)) and select.select(
                [fd], [], [], max(0, deadline - time.monotonic()))[0] and (chunk := os.read(fd, 1 << 20)):
            out += chunk
        if not done:  # then a probe of its own
            record_retry(f"lfprobe serve ended or stalled after {out[-200:]!r} on {' '.join(map(str, args))}")
            self.server = self.server.kill()
        return json.loads(out[:done.start()]) if done and done[1] == b"0" else None  # else one of its own tells why

    def windows(self, class_name="*"):
        return self.probe("list", class_name)

    def shown(self, class_name):
        return [w for w in self.windows(class_name) if w["visible"]]

    def hold(self, *args):
        """Starts a holding probe command and waits until it holds; the session ends it."""
        process = self._spawn(["wine", self.probe_exe, *args], env=self.env, stdout=subprocess.PIPE)
        if not (select.select([process.stdout], [], [], 30)[0] and process.stdout.readline().strip()):
            raise TestFailure(f"lfprobe {args[0]} did not start")

    # -- X input and pixels ---------------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

    def pointer_window(self):  # the X window under the pointer, which a press goes to, as a rectangle on screen
        where = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env, capture_output=True,
                               text=True, check=True, timeout=30).stdout
        shape = dict(re.findall(r"(\w+)=(-?\d+)", subprocess.run(
            ["xdotool", "getwindowgeometry", "--shell", re.search(r"WINDOW=(\d+)", where)[1]], env=self.env,
            capture_output=True, text=True, check=True, timeout=30).stdout))
        x, y = int(shape["X"]) - self.origin[0], int(shape["Y"]) - self.origin[1]
        return [x, y, x + int(shape["WIDTH"]), y + int(shape["HEIGHT"])]

    def move_mouse(self, x, y):
        self.xdotool("mousemove", "--sync", x + self.origin[0], y + self.origin[1])

    def click(self, x, y, button=1):
        self.move_mouse(x, y)
        self.xdotool("mousedown", button)
        time.sleep(PACE)
        self.xdotool("mouseup", button)

    def drag(self, start, end=None, steps=6, pressed=None):
        """Press, move in steps to `end` (once `pressed()` says the press arrived) and release, at a person's pace."""
        self.move_mouse(*start)
        self.xdotool("mousedown", 1)
        if pressed:
            wait_until(pressed, 10, what="the press to arrive")
        time.sleep(PACE)
        for i in range(1, steps + 1 if end else 0):
            self.move_mouse(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(PACE / 2)
        self.xdotool("mouseup", 1)

    def background_gesture(self, start, end=None, timeout=90):
        """A press on the overlay, then waits for it to end: a release Wine sends past the capture, to the window
        beneath, is the environment's fault (a slow explorer ends Wine's own pointer grab mid-drag)."""
        presses = self.log_lines().count(PRESS_LINE)
        self.drag(start, end, pressed=lambda: self.log_lines().count(PRESS_LINE) > presses)
        stray = lambda: any(w["title"].endswith("a stray release") for w in self.windows(COLOUR_CLASS))
        ended = lambda: self.log_lines()[::-1].index(PRESS_LINE) > 0
        if wait_until(lambda: ended() or stray(), timeout, interval=0.2, what="the press to end") and not ended():
            raise EnvironmentFailure("Wine gave the drag's release to the window beneath the overlay")

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def pointer_alpha(self):
        """The most opaque alpha in the pointer image X draws (0: none)."""
        x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        xfixes.XFixesGetCursorImage.argtypes = x11.XCloseDisplay.argtypes = x11.XFree.argtypes = [ctypes.c_void_p]
        xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
        if not (display := x11.XOpenDisplay(self.env["DISPLAY"].encode())):
            raise EnvironmentFailure(f"cannot open display {self.env['DISPLAY']}")
        try:
            check(image := xfixes.XFixesGetCursorImage(display), "XFixesGetCursorImage failed")
            pixels = image.contents.pixels[:image.contents.width * image.contents.height]
            x11.XFree(image)
            return max((pixel >> 24 & 0xFF for pixel in pixels), default=0)
        finally:
            x11.XCloseDisplay(display)

    def screen(self, *crop):  # the RGB bytes of the screen, or of a crop ("-crop", "WxH+X+Y")
        return subprocess.run(["import", "-window", "root", *crop, "-depth", "8", "rgb:-"], env=self.env,
                              capture_output=True, check=True, timeout=30).stdout

    def pixel(self, x, y):
        return tuple(self.screen("-crop", f"1x1+{x + self.origin[0]}+{y + self.origin[1]}"))

    def first_start_drawn_as_by_x64(self):
        """With no copy running: this build's first start draws, pixel for pixel, what the x64 build's does on a
        display of its own with the same referral code (in the QR code). Both pointers keep moving meanwhile,
        so nothing steps aside for a rest. Nothing to compare on x64."""
        if self.arch == "x64":
            return
        with Session(self.name + "-x64", compositor=self.compositor, arch="x64") as x64:
            x64.data_folder.mkdir(parents=True)
            shutil.copy(self.data_folder / "owner.dpapi", x64.data_folder)
            self.settings_file.unlink()
            process = [s.start([s.build / "src" / "Lumenfold.exe"]) for s in (self, x64)][0]
            shots = [b"", b"", 0]

            def same():
                shots[2] += 1
                for session in (self, x64):
                    session.move_mouse(960 + shots[2] % 2 * 10, 540)
                shots[:2] = self.screen(), x64.screen()
                return shots[0] == shots[1] and shots[0][3 * (497 * 1920 + 1670):][:3] == b"\xff" * 3  # the QR card
            wait_until(same, 90, interval=0, what=f"the {self.arch} build's screen to equal the x64 build's",
                       detail=lambda: "{} pixels differ".format(
                           sum(shots[0][i:i + 3] != shots[1][i:i + 3] for i in range(0, len(shots[0]), 3))))
            self.move_mouse(960, 540)  # where the display put it
            self.quit_running_copy(process)

    def wait_pixel(self, x, y, expected, tolerance=2, timeout=10, what=None):
        seen = [None]

        def matches():
            seen[0] = self.pixel(x, y)
            return all(abs(a - b) <= tolerance for a, b in zip(seen[0], expected, strict=True))
        return wait_until(matches, timeout, interval=0.1, what=f"{what or 'pixel'} ({x}, {y}) = {expected}",
                          detail=lambda: f"last seen {seen[0]}")

    # -- files ----------------------------------------------------------------------------------
    @property
    def activity_log(self):
        return self.data_folder / "activity.log"

    def log_lines(self):  # without the time prefix
        log = self.activity_log.read_bytes().decode("utf-8", "replace") if self.activity_log.exists() else ""
        return [line.split(" UTC ", 1)[-1] for line in log.splitlines()]

    def wait_log(self, message, timeout=10, prefix=False):
        return wait_until(lambda: any(line.startswith(message) if prefix else line == message
                                      for line in self.log_lines()),
                          timeout, what=f"log line '{message}'", detail=lambda: f"the log ends {self.log_lines()[-4:]}")

    @property
    def settings_file(self):
        return self.data_folder / "settings.json"

    def write_settings(self, skylights, **members):
        self.data_folder.mkdir(parents=True, exist_ok=True)
        self.settings_file.write_text(json.dumps({"version": 1, "skylights": skylights, **members}), encoding="utf-8")
        return self.settings_file.read_bytes()

    def settings(self):
        return json.loads(self.settings_file.read_text(encoding="utf-8"))


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def main(*tests):
    """Runs the scenarios, each reported; only a world that did not come up is retried, never a check."""
    if reason := emulation_missing():  # not passed silently: counted and printed at the test command's end
        print(f"not run: {reason}", flush=True)
        if os.environ.get("LUMENFOLD_NOT_RUN_LOG"):
            with open(os.environ["LUMENFOLD_NOT_RUN_LOG"], "a", encoding="utf-8") as out:
                out.write(f"{os.path.basename(sys.argv[0])} on {os.environ['LUMENFOLD_ARCH']}: {reason}\n")
        sys.exit(77)
    if chosen := os.environ.get("LUMENFOLD_SCENARIOS"):  # the beginnings of their names, comma-separated
        tests = [test for test in tests if test.__name__.startswith(tuple(chosen.split(",")))]
        check(tests, f"no scenario here begins with {chosen}")
    failed = []
    for test in tests:
        started = time.monotonic()
        try:
            run_with_retry(test.__name__, test)
            print(f"passed {test.__name__} in {time.monotonic() - started:.1f} s", flush=True)
        except Exception:
            traceback.print_exc()
            print(f"FAILED {test.__name__} after {time.monotonic() - started:.1f} s", flush=True)
            failed.append(test.__name__)
    print(f"{len(tests) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
