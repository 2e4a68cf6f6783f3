"""The Zig build's entry shim hands wWinMain the same text as MinGW's C runtime does.

Both helpers come from one source that prints what wWinMain received; MinGW builds one (its C runtime
calls wWinMain), Zig the other with the shim the ARM64 program uses. Each in turn is copied into a
folder whose name holds spaces, "--quit" and "--offline" and started from there with exact command
lines, whose first word need not name that path.

usage: test_command_line.py LAUNCHER CRT_HELPER ZIG_HELPER
"""
import shutil
import sys
from pathlib import Path

from lumenfold_env import TestFailure, WineEnvironment

FOLDER = "Lumen fold --quit --offline"
PROGRAM = f"C:\\{FOLDER}\\Lumenfold.exe"

CASES = [  # (what, command line, the text wWinMain must see)
    ("quoted path with spaces, nothing after", f'"{PROGRAM}"', ""),
    ("quoted path holding --quit, an option after", f'"{PROGRAM}" --offline', "--offline"),
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


def outputs(env, launcher, helper):
    (env.prefix / "drive_c" / FOLDER).mkdir(exist_ok=True)
    shutil.copy(helper, env.prefix / "drive_c" / FOLDER / "Lumenfold.exe")
    results = []
    for what, line, _ in CASES:
        result = env.wine([launcher, PROGRAM, line.encode("utf-16-be").hex()])
        if result.returncode != 0:
            raise TestFailure(f"{helper.name}, {what}: exit code {result.returncode}: {result.stderr}")
        results.append(result.stdout)
    return results


launcher, crt_helper, zig_helper = (Path(p) for p in sys.argv[1:4])
if not zig_helper.exists():
    raise TestFailure(f"{zig_helper} missing: build the windows-x64-zig preset first")
with WineEnvironment("shim") as env:
    by_crt, by_zig = outputs(env, launcher, crt_helper), outputs(env, launcher, zig_helper)
failures = []
for (what, line, received), crt, zig in zip(CASES, by_crt, by_zig):
    print(f"{what}: {zig!r}")
    if zig != crt:
        failures.append(f"{what}: the shim gives {zig!r}, the C runtime {crt!r}")
    elif crt != f"{HEADER}\n{line}\n{received}":
        failures.append(f"{what}: both give {crt!r}, expected {HEADER!r}, {line!r} and {received!r} on three lines")
if failures:
    raise TestFailure("\n".join(failures))
