#!/usr/bin/env bash
# Runs every benchmark and prints the figures the README quotes. Needs a built tree:
# bench/run_all.sh [build folder] [another tamri executable ...]
# Further executables (an older build, say) have their start-up timed in the same run.
set -euo pipefail
build=${1:-build}
shift || true
export QT_QPA_PLATFORM=offscreen
"$build/bench/tamri_board_bench" --benchmark_format=console 2>/dev/null | grep -E "^BM_"
"$build/bench/tamri_timing_bench" 2>/dev/null

unset QT_QPA_PLATFORM
display=98
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
export DISPLAY=":${display}"
Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Warm the file cache once, so both programs start alike.
"$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$build/bench/tamri_minimal_qt" >/dev/null
"$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$build/tamri" >/dev/null 2>&1
"$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$build/bench/tamri_minimal_qt" 2>/dev/null
"$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$build/tamri" 2>/dev/null
for other in "$@"; do
  "$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$other" >/dev/null 2>&1
  "$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$other" 2>/dev/null
done
