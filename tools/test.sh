#!/usr/bin/env bash
# Builds everything and runs every test (native core with sanitizers, Windows-side units under Wine,
# end-to-end tests of the real program under Wine on virtual displays, the ARM64 program's first
# start, skylight and quit under emulation, static checks of the x86-64 and ARM64 executables, the Zig
# entry shim against MinGW's C runtime) through one CTest run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/tools/setup.sh"
cmake --preset native >/dev/null
cmake --build --preset native
# The Zig builds first: the MinGW build's ctest takes in their tests and programs.
cmake --preset windows-arm64 >/dev/null
cmake --build --preset windows-arm64
cmake --preset windows-x64-zig >/dev/null
cmake --build --preset windows-x64-zig
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64

# Every process a test starts carries this mark, so none can outlive the run, whatever happens.
export LUMENFOLD_TEST_RUN="run-$$-$(date +%s%N)"
# Every retry of a failed environment (never of a check) is written here and counted at the end.
export LUMENFOLD_RETRY_LOG="$root/build/windows-x64/environment-retries.log"
# Every end-to-end test that could not run here (the kernel refused the ARM64 emulation), and why.
export LUMENFOLD_NOT_RUN_LOG="$root/build/windows-x64/not-run.log"
: >"$LUMENFOLD_RETRY_LOG"
: >"$LUMENFOLD_NOT_RUN_LOG"
sweep() {
  local pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "LUMENFOLD_TEST_RUN=$LUMENFOLD_TEST_RUN"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$root/build/windows-x64/test-tmp"
}
trap sweep EXIT
status=0
ctest --preset all "$@" || status=$?
retries=$(wc -l <"$LUMENFOLD_RETRY_LOG")
echo "environment retries: $retries"
sed 's/^/  /' "$LUMENFOLD_RETRY_LOG"
if [ -s "$LUMENFOLD_NOT_RUN_LOG" ]; then
  echo "end-to-end tests not run: $(wc -l <"$LUMENFOLD_NOT_RUN_LOG")"
  sed 's/^/  /' "$LUMENFOLD_NOT_RUN_LOG"
fi
exit "$status"
