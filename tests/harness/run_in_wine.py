"""Runs one Windows test executable inside a fresh Wine environment and passes on its exit code."""
import sys
from pathlib import Path

from lumenfold_env import WineEnvironment


def main():
    exe = Path(sys.argv[1])
    with WineEnvironment(exe.stem) as env:
        result = env.wine([exe] + sys.argv[2:], timeout=240)
        sys.stdout.write(result.stdout)
        sys.stderr.write(result.stderr)
        return result.returncode


if __name__ == "__main__":
    sys.exit(main())
