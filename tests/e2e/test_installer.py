"""The release set as tools/release.sh packs it (signed with a certificate made here), checked as files; then
its x64 installer under Wine: over a running older build of the same sources, refusing that older one, removed."""
import atexit
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

from lumenfold import BUILD, HOST_CLASS, STARTED_LINE, Session, check, main, wait_until
from lumenfold_env import ROOT, TEST_TMP

KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumenfold"
SKYLIGHTS = [{"bounds": [100, 100, 700, 400], "shape": 0}, {"bounds": [900, 500, 1500, 900], "shape": 2}]
TEST_TMP.mkdir(parents=True, exist_ok=True)
WORK = Path(tempfile.mkdtemp(prefix="release-", dir=TEST_TMP))
atexit.register(shutil.rmtree, WORK, True)
DIST, SIGNER, OLDER = WORK / "dist", WORK / "signer.pem", WORK / "older-setup.exe"


def run(*argv, **options):
    return subprocess.run([str(a) for a in argv], text=True, **options)


def package():  # without a timestamp server: there is no network
    for argv in (f"req -x509 -newkey rsa:2048 -nodes -keyout {WORK}/signer.key -out {SIGNER} -days 2 -subj /CN=test "
                 f"-addext extendedKeyUsage=codeSigning", f"pkcs12 -export -inkey {WORK}/signer.key -in {SIGNER} -out "
                 f"{WORK}/signer.p12 -passout pass:throwaway"):
        run("openssl", *argv.split(), check=True, capture_output=True)
    signing = dict(os.environ, LUMENFOLD_SIGN_PKCS12=f"{WORK}/signer.p12", LUMENFOLD_SIGN_PASSWORD="throwaway")
    run(ROOT / "tools/release.sh", "--package", BUILD / "src/Lumenfold.exe",
        BUILD.parent / "windows-arm64/src/Lumenfold.exe", DIST, env=signing, check=True, stdout=subprocess.DEVNULL)
    run(ROOT / "tools/release.sh", "--installer", "x64", BUILD / "tests/e2e/Lumenfold_older.exe", OLDER, check=True,
        stdout=subprocess.DEVNULL)


def release_set_is_summed_signed_and_described():
    result = run("/usr/bin/python3", ROOT / "tests/static/check_executable.py", "release", DIST, SIGNER,
                 capture_output=True)
    check(result.returncode == 0, result.stdout + result.stderr)


def apps_entry(s):
    return dict(re.findall(r"^ {4}(\w+) {4}REG_\w+ {4}(.*?)\r?$", s.wine(["reg", "query", KEY]).stdout, re.M))


def running_copies(s):  # Wine names a process by its program's path
    mark, found = f"WINEPREFIX={s.prefix}\0".encode(), []
    for process in Path("/proc").glob("[0-9]*"):
        with contextlib.suppress(OSError):
            if mark in (process / "environ").read_bytes():
                found += [n for n in [(process / "cmdline").read_bytes().split(b"\0")[0].decode()] if "Lumenfold" in n]
    return found


def leftovers(s, paths):  # what the uninstaller leaves of what it must remove
    key = [KEY] if s.wine(["reg", "query", KEY]).returncode == 0 else []
    return [p for p in paths if p.exists()] + s.windows(HOST_CLASS) + key


def installs_over_a_running_older_copy_refuses_a_downgrade_and_uninstalls():
    with Session("installer") as s:
        user = s.data_folder.parents[2]
        folder, menu = user / "AppData/Local/Programs/Lumenfold", user / "AppData/Roaming/Microsoft/Windows/Start Menu"
        shortcuts = [menu / "Programs/Lumenfold.lnk", menu / "Programs/StartUp/Lumenfold.lnk"]
        program = rf"C:\users\{user.name}\AppData\Local\Programs\Lumenfold\Lumenfold.exe"
        uninstaller = program.replace("Lumenfold.exe", "Uninstall Lumenfold.exe")
        newer, arm64 = (next(DIST.glob(f"Lumenfold-*-{arch}-setup.exe")) for arch in ("x64", "arm64"))
        check((code := s.wine([arm64, "/S"]).returncode) == 4 and not folder.exists(), f"ARM64 setup on x64: {code}")

        check((code := s.wine([OLDER, "/S"]).returncode) == 0, f"the installer exited {code}")
        files = sorted(p.name for p in folder.iterdir())
        check(files == ["Lumenfold.exe", "Uninstall Lumenfold.exe"], f"installed {files}")
        check(all(program.encode() + b"\0" in link.read_bytes() for link in shortcuts), "a shortcut leads elsewhere")
        entry, size = apps_entry(s), (folder / files[0]).stat().st_size // 1024
        wanted = {"DisplayName": "Lumenfold", "DisplayVersion": "2.9.0.1", "Publisher": "Lumenfold",
                  "DisplayIcon": program + ",0", "UninstallString": f'"{uninstaller}"',
                  "QuietUninstallString": f'"{uninstaller}" /S'}
        check(wanted.items() <= entry.items() and int(entry["EstimatedSize"], 16) >= size, f"the Apps entry: {entry}")

        s.write_settings(SKYLIGHTS)
        older, host = s.start_running_copy(exe=program)
        check((code := s.wine([newer, "/S"]).returncode) == 0, f"the upgrade exited {code}")
        check(s.wait_exit(older) == 0, "the older copy did not quit cleanly")
        wait_until(lambda: s.log_lines().count(STARTED_LINE + "2") == 2, 60, what="the new copy with both skylights")
        hosts = [w["hwnd"] for w in s.windows(HOST_CLASS)]
        check(len(hosts) == 1 and hosts != [host["hwnd"]] and running_copies(s) == [program], "not one new copy")
        check((folder / files[0]).read_bytes() == (DIST / "x64" / files[0]).read_bytes(), "the program not replaced")
        check(apps_entry(s)["DisplayVersion"] != "2.9.0.1", "the Apps entry kept the older version")

        check((code := s.wine([OLDER, "/S"]).returncode) == 2, f"the downgrade exited {code}")
        check([w["hwnd"] for w in s.windows(HOST_CLASS)] == hosts and running_copies(s) == [program], "copy touched")
        check((folder / files[0]).read_bytes() == (DIST / "x64" / files[0]).read_bytes(), "the downgrade replaced it")
        verify = run("osslsigncode", "verify", "-CAfile", SIGNER, "-in", folder / files[1], capture_output=True)
        check(verify.returncode == 0, f"the installed uninstaller's signature: {verify.stdout[-300:]}")

        check((code := s.wine([uninstaller, "/S"]).returncode) == 0, f"the uninstaller exited {code}")
        wait_until(lambda: not leftovers(s, [folder, *shortcuts]), 60, what="the uninstaller's work",
                   detail=lambda: f"left {leftovers(s, [folder, *shortcuts])}")
        check([x["bounds"] for x in s.settings()["skylights"]] == [x["bounds"] for x in SKYLIGHTS], "settings lost")


package()
main(release_set_is_summed_signed_and_described, installs_over_a_running_older_copy_refuses_a_downgrade_and_uninstalls)
