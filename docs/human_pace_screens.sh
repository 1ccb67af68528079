#!/usr/bin/env bash
# Takes the README's results pictures from the real program at 1920 x 1080 under Xvfb with a
# German locale, played by tamri_play at a human-like pace (0.6 to 3 s per target, slower on
# the left of the board), one task of each kind, and prints each task's results page to a PDF
# through the print dialog (docs/results_page.png shows the Numbers one). About four minutes.
# Usage: docs/human_pace_screens.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source tests/screen_common.sh
scratch=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$scratch"' EXIT
unset QT_QPA_PLATFORM
# The print dialog offers $HOME/Tamri.pdf.
export XDG_RUNTIME_DIR=$scratch HOME=$scratch
start_xvfb 1920x1080 "$scratch"
for task in numbers pictures; do
  LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 "$build/tamri" &
  program=$!
  "$build/tests/e2e/tamri_play" task "$task" --shots "$scratch" --human-pace --print
  wait "$program" || true
  pdftoppm -r 96 -png -singlefile "$scratch/Tamri.pdf" "$scratch/results_page_$task"
  rm "$scratch/Tamri.pdf"   # the dialog would ask before overwriting it
done
cp "$scratch/chart.png" "$scratch/latpraef.png" "$scratch/chart_pictures.png" "$scratch/latpraef_pictures.png" docs/
cp "$scratch/results_page_numbers.png" docs/results_page.png
cp "$scratch/results_page_pictures.png" "${TMPDIR:-/tmp}/tamri_results_page_pictures.png"
echo "docs/chart.png, docs/latpraef.png, docs/chart_pictures.png, docs/latpraef_pictures.png and"
echo "docs/results_page.png taken; the Pictures page is in ${TMPDIR:-/tmp}/tamri_results_page_pictures.png"
