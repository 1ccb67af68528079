#!/usr/bin/env bash
# Takes the README's results pictures from the real program at 1920 x 1080 under Xvfb with a
# German locale, played by tamri_play at a human-like pace (0.6 to 3 s per target, slower on
# the left of the board), one task of each kind. About four minutes.
# Usage: docs/human_pace_screens.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scratch=$(mktemp -d)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$scratch LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$scratch/display")"
for task in numbers pictures; do
  "$build/tamri" &
  program=$!
  "$build/tests/e2e/tamri_play" task "$task" --shots "$scratch" --human-pace
  wait "$program" || true
done
cp "$scratch/chart.png" "$scratch/latpraef.png" "$scratch/chart_pictures.png" "$scratch/latpraef_pictures.png" docs/
echo "docs/chart.png, docs/latpraef.png, docs/chart_pictures.png and docs/latpraef_pictures.png taken"
