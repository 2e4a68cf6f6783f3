"""Runs one Windows test executable in a fresh Wine environment of its own; exits with its exit code."""
import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

from lumenfold_env import WineEnvironment, run_with_retry, windows_path


def run(exe, args, registry, https, relay, two_monitors):
    with WineEnvironment(exe.stem, two_monitors=two_monitors) as env:
        if https:
            from https_service import standard_routes
            (service := env.serve_https()).routes.update(standard_routes())
            env.env["LUMENFOLD_HTTPS_ORIGIN"] = f"https://service.test:{service.port}"
            env.env["LUMENFOLD_HTTPS_UNTRUSTED"] = f"https://service.test:{service.untrusted_port}"
        for key, name, kind, data in registry:
            env.wine(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], check=True)
        if relay:
            # Wine logs the calls to standard error, a file the test reads.
            env.wine(["reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d",
                      relay.replace(",", ";"), "/f"], check=True)
            env.env.update(WINEDEBUG="+relay", LUMENFOLD_RELAY_LOG=windows_path(env.root / "relay.log"))
        # Files, not pipes, which a Wine process started meanwhile could hold open. A failure is never rerun.
        with open(env.root / "relay.log", "w") as log, tempfile.TemporaryFile() as out:
            code = subprocess.run(env.wrapper + ["wine", exe, *args], env=env.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=log if relay else out, timeout=600).returncode
            out.seek(0)
            sys.stdout.write(out.read().decode("utf-8", "replace"))
        return code


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dpi", help="the display resolution")
    parser.add_argument("--reg", nargs=4, action="append", default=[], metavar=("KEY", "NAME", "TYPE", "DATA"))
    parser.add_argument("--two-monitors", action="store_true", help="a 1024 x 768 monitor left of the main one")
    parser.add_argument("--https", action="store_true", help="the local HTTPS service, trusted by the test")
    parser.add_argument("--relay", help="dll.Function,... whose calls go to the file LUMENFOLD_RELAY_LOG names")
    parser.add_argument("exe", type=Path)
    parser.add_argument("args", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    if options.dpi:
        options.reg.append([r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", options.dpi])
    sys.exit(run_with_retry(options.exe.stem, lambda: run(options.exe, options.args, options.reg, options.https,
                                                           options.relay, options.two_monitors)))
