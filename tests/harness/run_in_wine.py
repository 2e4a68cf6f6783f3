"""Runs one Windows test executable inside a fresh Wine environment and passes on its exit code.

    run_in_wine.py [--dpi N] [--reg KEY NAME TYPE DATA]... [--two-monitors] EXE [ARGS...]

--dpi sets the prefix's display resolution before the test starts; --reg adds a registry value;
--two-monitors runs on a display with two monitors.
The probe's Windows path is handed to the test in LUMENFOLD_PROBE."""
import sys
from pathlib import Path

from lumenfold_env import PROBE, EnvironmentFailure, WineEnvironment, record_retry, windows_path


def main(argv):
    registry = []
    two_monitors = False
    while argv and argv[0].startswith("--"):
        if argv[0] == "--dpi":
            registry.append([r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", argv[1]])
            argv = argv[2:]
        elif argv[0] == "--two-monitors":
            two_monitors = True
            argv = argv[1:]
        elif argv[0] == "--reg":
            registry.append(argv[1:5])
            argv = argv[5:]
        else:
            raise SystemExit(f"unknown option {argv[0]}")
    exe = Path(argv[0])
    for attempt in (1, 2):
        try:
            env = WineEnvironment(exe.stem, two_monitors=two_monitors).__enter__()
            break
        except EnvironmentFailure as failure:
            if attempt == 2:
                raise
            record_retry(f"{exe.stem}: {failure}")
    with env:
        for key, name, kind, data in registry:
            env.wine(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], check=True)
        env.env["LUMENFOLD_PROBE"] = windows_path(PROBE)
        # The test's own verdict stands as it is: a failed case is never run again.
        result = env.wine([exe] + argv[1:], timeout=240)
        sys.stdout.write(result.stdout)
        sys.stderr.write(result.stderr)
        return result.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
