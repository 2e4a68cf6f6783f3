"""The release set as tools/release.sh packs it (signed with a certificate made here), checked as files; then its
x64 installer under Wine: over a running older build, refusing that older one, removed; the ARM64 zip's program."""
import os
import re
import subprocess
import tempfile
from pathlib import Path

from lumenfold import HOST_CLASS, STARTED_LINE, Session, check, main, wait_until
from lumenfold_env import ARCH, ROOT, TEST_TMP, X64_BUILD

KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumenfold"
SKYLIGHTS = [{"bounds": [100, 100, 700, 400], "shape": 0}, {"bounds": [900, 500, 1500, 900], "shape": 2}]
TEST_TMP.mkdir(parents=True, exist_ok=True)
WORK = tempfile.TemporaryDirectory(prefix="release-", dir=TEST_TMP)  # removed when the script ends
DIST, SIGNER, OLDER = (Path(WORK.name) / name for name in ("dist", "signer.pem", "older-setup.exe"))


def run(*argv, **options):  # what it says is shown only when it fails
    result = subprocess.run([str(a) for a in argv], capture_output=True, text=True, **options)
    check(result.returncode == 0, f"{argv} exited {result.returncode}: {result.stdout[-800:]}{result.stderr[-800:]}")


def package():  # without a timestamp server: there is no network
    key, p12 = SIGNER.with_suffix(".key"), SIGNER.with_suffix(".p12")
    run(*f"openssl req -x509 -newkey rsa:2048 -nodes -keyout {key} -out {SIGNER} -days 2 -subj /CN=test".split(),
        "-addext", "extendedKeyUsage=codeSigning")
    run(*f"openssl pkcs12 -export -inkey {key} -in {SIGNER} -out {p12} -passout pass:throwaway".split())
    signing = dict(os.environ, LUMENFOLD_SIGN_PKCS12=str(p12), LUMENFOLD_SIGN_PASSWORD="throwaway")
    arm64 = X64_BUILD.parent / "windows-arm64/src/Lumenfold.exe"
    run(ROOT / "tools/release.sh", "--package", X64_BUILD / "src/Lumenfold.exe", arm64, DIST, env=signing)
    run(ROOT / "tools/release.sh", "--installer", "x64", X64_BUILD / "tests/e2e/Lumenfold_older.exe", OLDER)


def release_set_is_summed_signed_and_described():
    run("/usr/bin/python3", ROOT / "tests/static/check_executable.py", "release", DIST, SIGNER)


def apps_entry(s):
    return dict(re.findall(r"^ {4}(\w+) {4}REG_\w+ {4}(.*?)\r?$", s.wine(["reg", "query", KEY]).stdout, re.M))


def leftovers(s, paths):  # what the uninstaller leaves of what it must remove
    return [p for p in paths if p.exists()] + s.windows(HOST_CLASS) + [KEY] * bool(apps_entry(s))


def installs_over_a_running_older_copy_refuses_a_downgrade_and_uninstalls():
    with Session("installer", arch="x64") as s:  # an x64 program on ARM64 Windows too
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
        check(len(hosts) == 1 and hosts != [host["hwnd"]], f"running hosts {hosts}")
        check((folder / files[0]).read_bytes() == (DIST / "x64" / files[0]).read_bytes(), "the program not replaced")
        check(apps_entry(s)["DisplayVersion"] == newer.name.split("-")[1], "the Apps entry's version")

        check((code := s.wine([OLDER, "/S"]).returncode) == 2, f"the downgrade exited {code}")
        check([w["hwnd"] for w in s.windows(HOST_CLASS)] == hosts, "the downgrade touched the running copy")
        run("osslsigncode", "verify", "-CAfile", SIGNER, "-in", folder / files[1])  # the uninstaller it wrote

        check((code := s.wine([uninstaller, "/S"]).returncode) == 0, f"the uninstaller exited {code}")
        wait_until(lambda: not leftovers(s, [folder, *shortcuts]), 60, what="the uninstaller's work",
                   detail=lambda: f"left {leftovers(s, [folder, *shortcuts])}")
        check([x["bounds"] for x in s.settings()["skylights"]] == [x["bounds"] for x in SKYLIGHTS], "settings lost")


def arm64_portable_program_starts_drawn_and_quits():  # under emulation (LUMENFOLD_ARCH=arm64)
    with Session("portable", compositor=True) as s:
        run("unzip", "-q", next(DIST.glob("*-arm64-portable.zip")), "Lumenfold.exe", "-d", s.root)
        process, _ = s.start_running_copy(exe := s.root / "Lumenfold.exe")
        s.wait_pixel(1670, 497, (255, 255, 255), what="the toolbar's QR card")
        s.quit_running_copy(process, exe)


package()
main(release_set_is_summed_signed_and_described, installs_over_a_running_older_copy_refuses_a_downgrade_and_uninstalls,
     *[arm64_portable_program_starts_drawn_and_quits] * (ARCH == "arm64"))
