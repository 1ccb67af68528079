#!/usr/bin/env bash
# Plays the real program under Xvfb (no window manager) at 1024 x 768 and 1920 x 1080 with
# tamri_play, which sees only the screen, and checks how the program ends every time.
# Usage: end_to_end.sh path/to/tamri path/to/tamri_play folder-for-screenshots
# The 1920 x 1080 screenshots go straight into the folder, the others into a subfolder.
set -uo pipefail
tamri=$1
play=$2
out=$3
rm -f "$out"/*.png "$out"/*/*.png
mkdir -p "$out"
unset QT_QPA_PLATFORM
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime

xvfb=
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_xvfb() { # WxH
  local number_file="$runtime/display"
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  [ -s "$number_file" ] || { echo "FAIL: Xvfb did not start at $1"; exit 1; }
  export DISPLAY=":$(head -n1 "$number_file")"
}

stop_xvfb() {
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=
}

# Starts the program, lets the driver play, and expects the program to end with the code.
scenario() { # expected-exit-code shots-folder driver-arguments...
  local expected=$1 shots=$2
  shift 2
  echo "--- $* (expecting exit code $expected)"
  "$tamri" &
  program=$!
  local driver=0
  timeout 90 "$play" "$@" --shots "$shots" || driver=$?
  [ "$driver" = 1 ] && fail "$* at $size: checks failed"
  if [ "$driver" != 0 ] && [ "$driver" != 1 ]; then
    fail "$* at $size: the play broke off (driver exit code $driver)"
    # The program's exit code means nothing then.
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
    program=
    return
  fi
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program" 2>/dev/null; then
    fail "$* at $size: the program was still running 10 s after the driver finished"
    kill -9 "$program" 2>/dev/null
  fi
  local rc=0
  wait "$program" || rc=$?
  program=
  [ "$rc" = "$expected" ] || fail "$* at $size: the program ended with exit code $rc, expected $expected"
}

began=$SECONDS
for size in 1920x1080 1024x768; do
  shots=$out
  [ "$size" = 1920x1080 ] || shots="$out/$size"
  mkdir -p "$shots"
  start_xvfb "$size"
  echo "=== $size on $DISPLAY"
  scenario 1 "$shots" task numbers
  scenario 1 "$shots" task pictures
  scenario 0 "$shots" escape-start
  scenario 0 "$shots" escape-task numbers
  scenario 0 "$shots" escape-task pictures
  scenario 0 "$shots" escape-finished pictures
  scenario 0 "$shots" ende-finished numbers
  stop_xvfb
done

echo "screenshots in $out; $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "end-to-end passed" || { echo "$failures end-to-end failures"; exit 1; }
