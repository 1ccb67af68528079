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
source "$(dirname "$0")/../tests/screen_common.sh"
scratch=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$scratch"' EXIT
start_xvfb 1920x1080 "$scratch"
# Warm the file cache once, so both programs start alike.
"$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$build/bench/tamri_minimal_qt" >/dev/null
"$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$build/tamri" >/dev/null 2>&1
"$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$build/bench/tamri_minimal_qt" 2>/dev/null
"$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$build/tamri" 2>/dev/null
for other in "$@"; do
  "$build/bench/tamri_startup_bench" 960 540 fafaaa 1 "$other" >/dev/null 2>&1
  "$build/bench/tamri_startup_bench" 960 540 fafaaa 7 "$other" 2>/dev/null
done
