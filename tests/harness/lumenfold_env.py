"""A private Wine world per test (prefix copy, HOME, display); leaving the `with` ends and deletes it all."""
import contextlib
import os
import select
import shlex
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# LUMENFOLD_ARCH=arm64: the ARM64 build, run by arm64 Wine in the arm64 Debian root tools/setup-arm64.sh makes,
# under qemu's emulation (tools/arm64-root.sh). The display, input and pixels stay the host's.
ARCH = os.environ.get("LUMENFOLD_ARCH", "x64")
X64_BUILD = Path(os.environ.get("LUMENFOLD_BUILD", ROOT / "build" / "windows-x64"))
BUILDS = {"x64": X64_BUILD, "arm64": X64_BUILD.parent / "windows-arm64"}
BUILD = BUILDS[ARCH]
ARM64_ROOT = ROOT / "build" / "deps" / "arm64"
TEMPLATES = {"x64": Path(os.environ.get("LUMENFOLD_TEMPLATE_PREFIX", ROOT / "build" / "deps" / "wine-template")),
             "arm64": ARM64_ROOT / "root" / "wine-template"}
SYSTEM_BUNDLE = "/etc/ssl/certs/ca-certificates.crt"
SERVICE_HOSTS = ("lumenfold.app", "banners.lumenfold.app", "service.test")
TEST_TMP = Path(os.environ.get("LUMENFOLD_TEST_TMP", X64_BUILD / "test-tmp"))


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class TestFailure(AssertionError):
    pass


class EnvironmentFailure(Exception):
    """The test's world did not come up (display, compositor, wineserver): not the program's fault."""


def emulation_missing():
    """Why the build of ARCH cannot run here, or None."""
    entry = Path("/proc/sys/fs/binfmt_misc/qemu-aarch64")
    if ARCH == "arm64" and not entry.exists():
        return "the kernel has no qemu-aarch64 entry in binfmt_misc (tools/setup.sh says why)"
    if ARCH == "arm64" and entry.read_text().splitlines()[0] != "enabled":
        return "qemu-aarch64 is disabled in binfmt_misc"
    return None


def record_retry(what):
    print(f"environment retry: {what}", flush=True)
    if os.environ.get("LUMENFOLD_RETRY_LOG"):
        with open(os.environ["LUMENFOLD_RETRY_LOG"], "a", encoding="utf-8") as out:
            out.write(f"environment retry: {what}\n")


def run_with_retry(name, action):
    for attempt in (1, 2):
        try:
            return action()
        except EnvironmentFailure as failure:
            if attempt == 2:
                raise
            record_retry(f"{name}: {failure}")


def wait_until(condition, timeout, interval=0.05, what="condition", detail=None):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() >= deadline:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}" + (f"; {detail()}" if detail else ""))
        time.sleep(interval)
    return value


class WineEnvironment:
    def __init__(self, name, compositor=False, two_monitors=False, arch=ARCH):  # two: 1024 x 768 left of 1920 x 1080
        self.name, self.compositor, self.two_monitors, self.arch = name, compositor, two_monitors, arch
        self.build = BUILDS[arch]
        self.probe_exe = self.build / "tests" / "harness" / "probe" / "lfprobe.exe"
        self.origin = (1024, 0) if two_monitors else (0, 0)  # where X shows Windows' (0, 0): input and pixels convert
        self.children = []  # long-running processes to end, newest last
        self.wrapper, self.https = [], None  # how Windows programs are started; the HTTPS service

    def __enter__(self):
        TEST_TMP.mkdir(parents=True, exist_ok=True)
        self.root = Path(tempfile.mkdtemp(prefix=self.name + "-", dir=TEST_TMP))
        try:
            self._build()
        except BaseException as failure:
            self.close()
            if isinstance(failure, (OSError, subprocess.SubprocessError, TestFailure)):
                raise EnvironmentFailure(f"{self.name}: {failure}") from failure
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def _build(self):
        if not ((template := TEMPLATES[self.arch]) / ".lumenfold-template").exists():
            raise TestFailure(f"template prefix missing at {template}: run tools/setup.sh")
        self.prefix, self.home = self.root / "prefix", self.root / "home"
        self.home.mkdir()
        subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True)
        display = self._start_display()
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", HOME=str(self.home),
                        DISPLAY=display, XDG_RUNTIME_DIR=str(self.home), LC_ALL="C.UTF-8")  # an English user
        for variable in ("XAUTHORITY", "XDG_DATA_HOME"):  # Wine's trash then lies in the test's own HOME
            self.env.pop(variable, None)
        # Wine hands links to xdg-open / xdg-email unchanged: both only note them here, one a line.
        self.links, bin_dir = self.root / "opened-links", self.root / "bin"
        bin_dir.mkdir()
        scripts = {name: f'printf \'%s\\n\' "$1" >> {shlex.quote(str(self.links))}'
                   for name in ("xdg-open", "xdg-email")}
        if self.arch == "arm64":  # Wine runs in the arm64 root, which sees the test's folders where they are here
            (self.root / "tmp").mkdir()  # its /tmp, where the session's one wineserver listens
            binds = " ".join("--bind " + shlex.quote(p) for p in (f"{self.root}/tmp:/tmp", str(self.root),
                                                                   str(self.build)))
            scripts.update({name: f'exec {shlex.quote(str(ROOT / "tools" / "arm64-root.sh"))} {binds} -- '
                                  f'/usr/bin/{name} "$@"' for name in ("wine", "wineserver")})
        for name, script in scripts.items():
            (bin_dir / name).write_text(f"#!/bin/sh\n{script}\n")
            (bin_dir / name).chmod(0o755)
        self.env.update(PATH=f"{bin_dir}:{self.env['PATH']}", LUMENFOLD_OPENED_LINKS=windows_path(self.links))
        # Online origins lead where nothing listens until serve_https: no test reaches the real services.
        self._isolate(self.root / "hosts", "127.0.0.9")
        if self.two_monitors:
            # The full query makes the driver report the output connected; Wine asks only the current state.
            for command in ("--newmode 1024x768_60 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync",
                            "--addmode DUMMY1 1024x768_60",
                            "--output DUMMY0 --mode 1920x1080 --output DUMMY1 --mode 1024x768_60 --left-of DUMMY0",
                            "--query"):
                subprocess.run(["xrandr", *command.split()], env=self.env, check=True, timeout=30,
                               stdout=subprocess.DEVNULL)
        # Started with no pipe of ours: whatever inherits a test's output pipe keeps later captures waiting.
        self._spawn(["wineserver", "--foreground", "--persistent"], env=self.env)
        subprocess.run(["wine", self.probe_exe, "list", "Lumenfold.Tests.Nothing"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60,
                       check=True)
        if self.compositor:
            picom = self._spawn(["picom", "--config", "/dev/null", "--backend", "xrender", "--no-fading-openclose"],
                                env=self.env)
            time.sleep(0.3)
            if picom.poll() is not None:
                raise TestFailure(f"picom did not start (exit {picom.returncode})")

    def _start_display(self):
        read_end, write_end = os.pipe()
        if self.two_monitors:
            argv = ["Xorg", "-config", str(Path(__file__).parent / "xorg" / "dummy.conf"), "-logfile",
                    str(self.root / "xorg.log"), "-novtswitch", "-sharevts"]
        else:
            argv = ["Xvfb", "-screen", "0", "1920x1080x24"]
        proc = self._spawn(argv + ["-displayfd", str(write_end), "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip() if select.select([pipe], [], [], 15)[0] else b""
        if not number:
            raise TestFailure(f"{argv[0]} did not start (exit {proc.poll()})")
        return ":" + number.decode()

    def _spawn(self, argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs):
        proc = subprocess.Popen([str(a) for a in argv], stdin=subprocess.DEVNULL, stdout=stdout,
                                stderr=stderr, start_new_session=True, **kwargs)
        self.children.append(proc)
        return proc

    def serve_https(self, port=0):
        from https_service import HttpsService
        self.https = HttpsService(self.root / "https", port=port)
        self._isolate(self.root / "https" / "hosts", self.https.address, self.https.trusted_bundle())
        return self.https

    def _isolate(self, hosts, address, bundle=None):
        """Windows programs run in their own mount namespace: service hosts lead to `address`, `bundle` is trusted."""
        hosts.write_text(f"127.0.0.1 localhost\n{address} {' '.join(SERVICE_HOSTS)}\n")
        mounts = f"mount --bind {hosts} /etc/hosts"
        if bundle:
            mounts += f" && mount --bind {bundle} {SYSTEM_BUNDLE}"
        self.wrapper = ["unshare", "--mount", "sh", "-c", mounts + ' && exec "$@"', "sh"]

    def close(self):
        if self.https:
            self.https.stop()
        if hasattr(self, "env"):
            for proc in self.children:
                if "wine" in proc.args[:len(self.wrapper) + 1]:
                    _end(proc)
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
            # A program starting during the kill may have started a new wineserver.
            wait_until(lambda: not _kill_processes_with(f"WINEPREFIX={self.prefix}"), 10,
                       what="the prefix's processes to end")
        for proc in reversed(self.children):
            _end(proc)
        self.children.clear()
        shutil.rmtree(self.root, ignore_errors=True)
        with contextlib.suppress(OSError):  # the empty folder the arm64 root held this one's binding on
            (ARM64_ROOT / str(self.root).lstrip("/")).rmdir()

    def wine(self, argv, timeout=60, check=False):
        # Files, not pipes, which a Wine process started meanwhile could inherit and hold open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(self.wrapper + ["wine"] + [str(a) for a in argv], env=self.env, stdout=out,
                                  stderr=err, timeout=timeout, stdin=subprocess.DEVNULL).returncode
            result = subprocess.CompletedProcess(argv, code, *(f.seek(0) or f.read().decode("utf-8", "replace")
                                                               for f in (out, err)))
        if check and result.returncode != 0:
            raise TestFailure(f"{argv} exited {result.returncode}: {result.stdout}{result.stderr}")
        return result

    def start(self, argv, relay=None):
        """With relay (say "user32.MessageBoxW") Wine logs those functions' calls for relay_calls."""
        if relay:
            self.wine(["reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d", relay,
                       "/f"], check=True)
        with open(self.root / "relay.log" if relay else os.devnull, "ab") as stderr:
            proc = subprocess.Popen(self.wrapper + ["wine"] + [str(a) for a in argv],
                                    env=dict(self.env, WINEDEBUG="+relay") if relay
                                    else self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        self.children.append(proc)
        return proc

    def relay_calls(self, function):
        log, marker = self.root / "relay.log", f"Call {function}("
        lines = log.read_text(errors="replace").splitlines() if log.exists() else []
        return [line.split(marker, 1)[1].rsplit(") ret=", 1)[0] for line in lines if marker in line]

    def opened_links(self):
        return self.links.read_text(encoding="utf-8").splitlines() if self.links.exists() else []

    @property
    def data_folder(self):
        users = self.prefix / "drive_c" / "users"
        return next(p for p in users.iterdir() if p.name != "Public") / "AppData" / "Local" / "Lumenfold"


def _kill_processes_with(variable):
    mark, count = variable.encode() + b"\0", 0
    for pid in [int(entry.name) for entry in Path("/proc").iterdir() if entry.name.isdigit()]:
        with contextlib.suppress(OSError):  # ended meanwhile, or not ours to read
            if pid != os.getpid() and b"\0" + mark in b"\0" + Path(f"/proc/{pid}/environ").read_bytes():
                os.kill(pid, signal.SIGKILL)
                count += 1
    return count


def _end(proc):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if proc.poll() is None:
            try:
                os.killpg(proc.pid, sig)
            except (ProcessLookupError, PermissionError):
                proc.send_signal(sig)
            with contextlib.suppress(subprocess.TimeoutExpired):
                proc.wait(timeout=5)
