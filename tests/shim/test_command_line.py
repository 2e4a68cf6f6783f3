"""The Zig build's entry shim hands wWinMain the same text as MinGW's C runtime does.

Both helpers come from one source that prints what wWinMain received; one is built by MinGW (the C
runtime calls wWinMain), one by Zig with the shim the ARM64 program uses. Each in turn is copied
into folders whose names hold "--quit" and "--offline" (one with spaces) inside the test's own
prefix and started there with exact command lines through CreateProcessW.

usage: test_command_line.py LAUNCHER CRT_HELPER ZIG_HELPER
"""
import shutil
import sys
from pathlib import Path

from lumenfold import check, main
from lumenfold_env import WineEnvironment

# Folders under C:\; {program} in a command line is the helper's own path in one of them.
SPACED = "Lumen fold --quit --offline"
UNSPACED = "Lumenfold--quit--offline"

# (what, command line, the text wWinMain must see, or None where only agreement is asked)
CASES = [
    ("quoted path with spaces, nothing after", '"{program}"', ""),
    ("quoted path holding --quit, an option after", '"{program}" --offline', "--offline"),
    ("arguments after the program name", '"{program}" --offline "two words"  a\\"b  ',
     '--offline "two words"  a\\"b  '),
    ("unquoted path holding --quit", "{unspaced}  --offline", "--offline"),
    ("quotes in the middle of the path", '{quoted_middle} --offline', "--offline"),
    ("unclosed quote around the path", '"{program} --offline', ""),
    ("tab after the program name", '"{program}"\t--offline', "--offline"),
    ("text beyond ASCII", '"{program}" 退出遮罩 --offline', "退出遮罩 --offline"),
    ("empty command line", "", ""),
    ("leading space before the program name", ' "{program}" x', None),
]

# SW_SHOWMINNOACTIVE from the launcher; the instance is the module, no previous one; a locale was made.
SHOW_HEADER = "7 1 1"


def install(env, helper):
    """Copies a helper to the same paths the other one had; returns the Windows paths by folder."""
    paths = {}
    for folder in (SPACED, UNSPACED):
        target = env.prefix / "drive_c" / folder / "Lumenfold.exe"
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(helper, target)
        paths[folder] = f"C:\\{folder}\\Lumenfold.exe"
    return paths


def command_line(template, paths):
    return template.format(program=paths[SPACED], unspaced=paths[UNSPACED],
                           quoted_middle=f'C:\\"{SPACED}"\\Lumenfold.exe')


def run(env, launcher, program, text):
    result = env.wine([launcher, program, text.encode("utf-8").hex()], timeout=60)
    check(result.returncode == 0, f"{program} with {text!r} exited {result.returncode}: {result.stderr}")
    header, _, rest = result.stdout.partition("\n")
    whole, _, received = rest.partition("\n")
    check(whole == text, f"{program} was started with {whole!r} instead of {text!r}")
    return header, received


def test():
    launcher, crt_helper, zig_helper = (Path(p) for p in sys.argv[1:4])
    check(zig_helper.exists(), f"{zig_helper} missing: build the windows-x64-zig preset first")
    seen = {}
    with WineEnvironment("shim") as env:
        for flavour, helper in (("crt", crt_helper), ("zig", zig_helper)):
            paths = install(env, helper)
            seen[flavour] = [run(env, launcher, paths[SPACED], command_line(template, paths))
                             for _, template, _ in CASES]
    failures = []
    for (what, _, expected), (crt_header, crt_text), (zig_header, zig_text) in \
            zip(CASES, seen["crt"], seen["zig"]):
        print(f"{what}: {zig_text!r}")
        if zig_text != crt_text:
            failures.append(f"{what}: the shim hands on {zig_text!r}, the C runtime {crt_text!r}")
        elif expected is not None and crt_text != expected:
            failures.append(f"{what}: both hand on {crt_text!r}, expected {expected!r}")
        if (crt_header, zig_header) != (SHOW_HEADER, SHOW_HEADER):
            failures.append(f"{what}: show command and instance {zig_header!r} (shim), "
                            f"{crt_header!r} (C runtime), expected {SHOW_HEADER!r}")
    check(not failures, "\n".join(failures))


main(test)
