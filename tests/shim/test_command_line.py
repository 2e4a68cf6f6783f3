"""The Zig build's entry shim hands wWinMain what MinGW's C runtime does: one helper, built by both, run
from a folder whose name holds spaces, "--quit" and "--offline", with exact command lines.
usage: test_command_line.py LAUNCHER CRT_HELPER ZIG_HELPER"""
import shutil
import sys
from pathlib import Path

from lumenfold_env import TestFailure, WineEnvironment, record_retry

FOLDER = "Lumen fold --quit --offline"
PROGRAM = f"C:\\{FOLDER}\\Lumenfold.exe"

CASES = [  # (what, command line, the text wWinMain must see)
    ("quoted path with spaces, nothing after", f'"{PROGRAM}"', ""),
    ("arguments after the program name", f'"{PROGRAM}" --offline "two words"  a\\"b  ',
     '--offline "two words"  a\\"b  '),
    ("unquoted path holding --quit", "C:\\Lumenfold--quit--offline\\Lumenfold.exe  --offline", "--offline"),
    ("quotes in the middle of the path", f'C:\\"{FOLDER}"\\Lumenfold.exe --offline', "--offline"),
    ("unclosed quote around the path", f'"{PROGRAM} --offline', ""),
    ("tab after the program name", f'"{PROGRAM}"\t--offline', "--offline"),
    ("text beyond ASCII", f'"{PROGRAM}" 退出遮罩 --offline', "退出遮罩 --offline"),
    ("empty command line", "", ""),
    ("leading space before the program name", f' "{PROGRAM}" x', f'"{PROGRAM}" x'),
]
# SW_SHOWMINNOACTIVE from the launcher; the instance is the module, no previous one; a locale was made.
HEADER = "7 1 1"

launcher, crt_helper, zig_helper = (Path(p) for p in sys.argv[1:4])
if not zig_helper.exists():
    raise TestFailure(f"{zig_helper} missing: build the windows-x64-zig preset first")
failures = []
with WineEnvironment("shim") as env:
    (env.prefix / "drive_c" / FOLDER).mkdir()
    for helper in (crt_helper, zig_helper):
        shutil.copy(helper, env.prefix / "drive_c" / FOLDER / "Lumenfold.exe")
        for what, line, received in CASES:
            result = env.wine(command := [launcher, PROGRAM, line.encode("utf-16-be").hex()])
            if result.returncode == 90 and "status 0xc00000e5" in result.stderr:  # Wine failed to start it
                record_retry(f"{helper.name}, {what}: {result.stderr.strip()}")
                result = env.wine(command)
            wanted = f"{HEADER}\n{line}\n{received}"
            if result.returncode != 0 or result.stdout != wanted:
                failures.append(f"{helper.name}, {what}: exit code {result.returncode}, {result.stdout!r}, "
                                f"expected {wanted!r} {result.stderr}")
if failures:
    raise TestFailure("\n".join(failures))
