"""Runs one Windows test executable inside a fresh Wine environment of its own and passes on its exit
code."""
import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

from lumenfold_env import WineEnvironment, run_with_retry, windows_path


def run(exe, args, registry, two_monitors, https, relay):
    with WineEnvironment(exe.stem, two_monitors=two_monitors) as env:
        if https:
            # The test reads its routes' addresses; it scripts nothing, so the routes are fixed here.
            service = env.serve_https()
            from https_service import standard_routes
            service.routes.update(standard_routes())
            env.env["LUMENFOLD_HTTPS_ORIGIN"] = f"https://service.test:{service.port}"
            env.env["LUMENFOLD_HTTPS_UNTRUSTED"] = f"https://service.test:{service.untrusted_port}"
        for key, name, kind, data in registry:
            env.wine(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], check=True)
        if relay:
            # Wine writes the calls to the test's standard error, which goes to a file the test reads.
            env.wine(["reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d",
                      relay.replace(",", ";"), "/f"], check=True)
            env.env.update(WINEDEBUG="+relay", LUMENFOLD_RELAY_LOG=windows_path(env.root / "relay.log"))
        # The test's own verdict stands as it is: a failed case is never run again.
        # Files, not pipes, which a Wine process started meanwhile could inherit and hold open.
        with open(env.root / "relay.log", "w") as log, tempfile.TemporaryFile() as out:
            code = subprocess.run(env.wrapper + ["wine", exe, *args], env=env.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=log if relay else out, timeout=600).returncode
            out.seek(0)
            sys.stdout.write(out.read().decode("utf-8", "replace"))
        return code


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dpi", help="the display resolution, set in the prefix before the test starts")
    parser.add_argument("--reg", nargs=4, action="append", default=[], metavar=("KEY", "NAME", "TYPE", "DATA"),
                        help="a registry value to add before the test starts")
    parser.add_argument("--two-monitors", action="store_true", help="a display with two monitors")
    parser.add_argument("--https", action="store_true", help="the local HTTPS service, trusted by the test")
    parser.add_argument("--relay", help="functions whose calls Wine logs (dll.Function, comma-separated), for the test "
                        "to read from the file named by LUMENFOLD_RELAY_LOG")
    parser.add_argument("exe", type=Path)
    parser.add_argument("args", nargs=argparse.REMAINDER, help="handed to the program")
    options = parser.parse_args()
    if options.dpi:
        options.reg.append([r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", options.dpi])
    sys.exit(run_with_retry(options.exe.stem, lambda: run(options.exe, options.args, options.reg, options.two_monitors,
                                                           options.https, options.relay)))
