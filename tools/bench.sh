#!/usr/bin/env bash
# Builds and runs the benchmarks: the portable logic natively, the settings file and the overlay's
# refresh under Wine on a two-monitor display. Prints figures; nothing is compared with a threshold.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/setup.sh"
cmake --preset native >/dev/null && cmake --build --preset native --target settings_bench
cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 --target overlay_bench lfprobe
echo "== native: settings parse and serialise"
build/native/bench/settings_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== Wine: settings file and overlay refresh"
PYTHONPATH=tests/harness LUMENFOLD_BUILD="$root/build/windows-x64" \
  python3 tests/harness/run_in_wine.py --two-monitors build/windows-x64/bench/overlay_bench.exe
