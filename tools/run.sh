#!/usr/bin/env bash
# Builds what is missing and starts Lumenfold under Wine: on $DISPLAY when there is one, otherwise on
# a virtual display of its own with a compositing manager (so the dimming shows as a user sees it),
# printing where a screenshot of it was saved. Arguments are passed on to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target Lumenfold lfprobe >/dev/null

exe="$root/build/windows-x64/src/Lumenfold.exe"
probe="$root/build/windows-x64/tests/harness/probe/lfprobe.exe"
export WINEPREFIX=${WINEPREFIX:-$root/build/run-prefix}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
[ -d "$WINEPREFIX" ] || cp -a "$root/build/deps/wine-template" "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe" "$@"
fi

pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT INT TERM
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1920x1080x24 -nolisten tcp 4>"$fifo" >/dev/null 2>&1 &
pids+=($!)
read -r -t 15 number <"$fifo"; rm -f "$fifo"
export DISPLAY=":$number"
picom --config /dev/null --backend xrender --no-fading-openclose >/dev/null 2>&1 &
pids+=($!)
echo "Lumenfold runs on the virtual display $DISPLAY (Ctrl+C ends it)."
wine "$exe" "$@" &
program=$!
shot="$root/build/run-screenshot.png"
if wine "$probe" wait Lumenfold.Windows.Overlay 15000 >/dev/null 2>&1; then sleep 1; fi
import -window root "$shot" && echo "Screenshot: $shot"
wait "$program" || true
