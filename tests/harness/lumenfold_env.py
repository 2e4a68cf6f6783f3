"""A private Wine world for one test: a copy of the template prefix, its own HOME and its own
virtual display (optionally with a compositing manager). Everything it starts is ended and its
folder deleted when the `with` block ends, even when the test fails.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

BUILD = Path(os.environ.get("LUMENFOLD_BUILD", Path(__file__).resolve().parents[2] / "build" / "windows-x64"))
TEMPLATE = Path(os.environ.get("LUMENFOLD_TEMPLATE_PREFIX",
                               Path(__file__).resolve().parents[2] / "build" / "deps" / "wine-template"))
PROBE = BUILD / "tests" / "harness" / "probe" / "lfprobe.exe"
TEST_TMP = Path(os.environ.get("LUMENFOLD_TEST_TMP", BUILD / "test-tmp"))


def windows_path(path):
    """The name a Windows program in the prefix sees for a Linux path (Wine's Z: drive)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class TestFailure(AssertionError):
    pass


class EnvironmentFailure(Exception):
    """The test's world did not come up (display, compositor, wineserver): not the program's fault."""


def record_retry(what):
    """Prints an environment retry and counts it for the test command's closing summary."""
    line = f"environment retry: {what}"
    print(line, flush=True)
    log = os.environ.get("LUMENFOLD_RETRY_LOG")
    if log:
        with open(log, "a", encoding="utf-8") as out:
            out.write(line + "\n")


def wait_until(condition, timeout, interval=0.05, what="condition"):
    """Polls `condition` until it returns a truthy value; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


class WineEnvironment:
    def __init__(self, name, compositor=False, screen=(1920, 1080), two_monitors=False):
        """two_monitors: Xorg with the dummy driver, a 1920 x 1080 primary monitor and a 1024 x 768
        one to its left (at negative x for Windows programs), instead of Xvfb."""
        self.name = name
        self.compositor = compositor
        self.screen = screen
        self.two_monitors = two_monitors
        self.children = []  # long-running processes to end, newest last

    # -- lifetime -------------------------------------------------------------------------------
    def __enter__(self):
        TEST_TMP.mkdir(parents=True, exist_ok=True)
        self.root = Path(tempfile.mkdtemp(prefix=self.name + "-", dir=TEST_TMP))
        try:
            self._build()
        except (OSError, subprocess.SubprocessError, TestFailure) as failure:
            self.close()
            raise EnvironmentFailure(f"{self.name}: {failure}") from failure
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _build(self):
        if not (TEMPLATE / ".lumenfold-template").exists():
            raise TestFailure(f"template prefix missing at {TEMPLATE}: run tools/setup.sh")
        self.prefix = self.root / "prefix"
        self.home = self.root / "home"
        self.home.mkdir()
        subprocess.run(["cp", "-a", str(TEMPLATE), str(self.prefix)], check=True)
        self.display = self._start_display()
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "HOME": str(self.home),
            "DISPLAY": self.display,
            "XDG_RUNTIME_DIR": str(self.home),
        })
        self.env.pop("XAUTHORITY", None)
        # A persistent wineserver, the prefix's services and its desktop process, started with no pipe
        # of ours: whatever inherits a test's output pipe keeps every later capture waiting.
        self._spawn(["wineserver", "--foreground", "--persistent"], env=self.env)
        subprocess.run(["wine", PROBE, "find", "Lumenfold.Tests.Nothing"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)
        if self.compositor:
            picom = self._spawn(["picom", "--config", "/dev/null", "--backend", "xrender", "--no-fading-openclose"],
                                env=self.env)
            time.sleep(0.3)
            if picom.poll() is not None:
                raise TestFailure(f"picom did not start (exit {picom.returncode})")

    def _start_display(self):
        read_end, write_end = os.pipe()
        width, height = self.screen
        if self.two_monitors:
            argv = ["Xorg", "-displayfd", str(write_end), "-config", str(Path(__file__).parent / "xorg" / "dummy.conf"),
                    "-logfile", str(self.root / "xorg.log"), "-nolisten", "tcp", "-noreset", "-novtswitch",
                    "-sharevts"]
        else:
            argv = ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
                    "-noreset"]
        proc = self._spawn(argv, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise TestFailure(f"{argv[0]} did not start (exit {proc.poll()})")
        display = ":" + number.decode().strip()
        if self.two_monitors:
            self._arrange_two_monitors(display)
        return display

    def _arrange_two_monitors(self, display):
        env = dict(os.environ, DISPLAY=display)
        for command in (
                ["xrandr", "--newmode", "1024x768_60", "65.00", "1024", "1048", "1184", "1344", "768", "771", "777",
                 "806", "-hsync", "-vsync"],
                ["xrandr", "--addmode", "DUMMY1", "1024x768_60"],
                ["xrandr", "--output", "DUMMY0", "--mode", "1920x1080", "--output", "DUMMY1", "--mode", "1024x768_60",
                 "--left-of", "DUMMY0"],
                # A full query makes the driver report the new output as connected; Wine only asks for
                # the current resources, which would still show one monitor.
                ["xrandr", "--query"]):
            subprocess.run(command, env=env, check=True, timeout=30, stdout=subprocess.DEVNULL)

    def _spawn(self, argv, **kwargs):
        proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True, **kwargs)
        self.children.append(proc)
        return proc

    def close(self):
        if hasattr(self, "env"):
            for proc in self.children:
                if proc.args and proc.args[0] == "wine":
                    _end_process_group(proc)
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
            # A program still starting during the kill may have started a new wineserver: end
            # whatever still runs in this prefix.
            wait_until(lambda: not _kill_processes_with(f"WINEPREFIX={self.prefix}"), 10,
                       what="the prefix's processes to end")
        for proc in reversed(self.children):
            _end_process_group(proc)
        self.children.clear()
        shutil.rmtree(self.root, ignore_errors=True)

    # -- running Windows programs ---------------------------------------------------------------
    def wine(self, argv, timeout=60, check=False):
        """Runs a Windows program to its end; returns the CompletedProcess (text output)."""
        result = subprocess.run(["wine"] + [str(a) for a in argv], env=self.env, capture_output=True,
                                timeout=timeout, stdin=subprocess.DEVNULL)
        result.stdout = result.stdout.decode("utf-8", "replace")
        result.stderr = result.stderr.decode("utf-8", "replace")
        if check and result.returncode != 0:
            raise TestFailure(f"{argv} exited {result.returncode}: {result.stdout}{result.stderr}")
        return result

    def start(self, argv, relay=None):
        """Starts a Windows program and returns its Popen (the wine loader's exit code is the program's).
        With relay (say "user32.MessageBoxW"), Wine logs every call of those functions with its
        arguments; relay_calls reads them."""
        env, stderr = self.env, subprocess.DEVNULL
        if relay:
            self.wine(["reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d", relay,
                       "/f"], check=True)
            env = dict(self.env, WINEDEBUG="+relay")
            stderr = open(self.root / "relay.log", "ab")
        proc = subprocess.Popen(["wine"] + [str(a) for a in argv], env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=stderr)
        if relay:
            stderr.close()
        self.children.append(proc)
        return proc

    def relay_calls(self, function):
        """The arguments of each logged call of `function` ("user32.MessageBoxW"), as text."""
        log = self.root / "relay.log"
        lines = log.read_text(errors="replace").splitlines() if log.exists() else []
        marker = f"Call {function}("
        return [line.split(marker, 1)[1].rsplit(") ret=", 1)[0] for line in lines if marker in line]

    # -- paths ----------------------------------------------------------------------------------
    @staticmethod
    def windows_path(path):
        return windows_path(path)

    @property
    def user_profile(self):
        users = [p for p in (self.prefix / "drive_c" / "users").iterdir() if p.name != "Public"]
        return users[0]

    @property
    def local_app_data(self):
        return self.user_profile / "AppData" / "Local"

    @property
    def data_folder(self):
        return self.local_app_data / "Lumenfold"


def _kill_processes_with(variable):
    """Sends SIGKILL to every process whose environment holds `variable`; returns how many."""
    mark = variable.encode() + b"\0"
    count = 0
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            environ = (entry / "environ").read_bytes()
            if environ.startswith(mark) or b"\0" + mark in environ:
                os.kill(int(entry.name), signal.SIGKILL)
                count += 1
        except (OSError, ProcessLookupError):
            continue
    return count


def _end_process_group(proc):
    if proc.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(proc.pid, sig)
        except (ProcessLookupError, PermissionError):
            try:
                proc.send_signal(sig)
            except ProcessLookupError:
                return
        try:
            proc.wait(timeout=5)
            return
        except subprocess.TimeoutExpired:
            continue
