#!/usr/bin/env bash
# Builds and runs every benchmark under Wine on a two-monitor display and writes bench/results.md
# (bench/README.md says what each figure is). The native parse/serialise benchmark runs first.
# LUMENFOLD_BENCH_RUNS (start-ups per figure, 5) and LUMENFOLD_BENCH_IDLE (seconds per idle sample,
# 10) tune it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/setup.sh"
cmake --preset native >/dev/null && cmake --build --preset native --target settings_bench
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target overlay_bench startup_bench lfprobe Lumenfold
echo "== native: settings parse and serialise"
build/native/bench/settings_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
echo "== Wine: bench/results.md"
PYTHONPATH=tests/harness LUMENFOLD_BUILD="$root/build/windows-x64" python3 bench/report.py
