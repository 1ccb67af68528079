#!/usr/bin/env bash
# Plays the real program under Xvfb with tamri_play, which sees only the screen, and checks how
# the program ends every time: on a bare X server at 1024 x 768 (once in German) and 1920 x 1080
# (there once more with the scale factor a desktop at 150 % exports, which the program must leave
# aside), at 1366 x 768 under the openbox window manager with a tint2 panel at the bottom, and on
# two monitors, bare and under openbox, where the pointer must stay on the test's one in the task.
# The system check (tamri-check) in each of these set-ups must name the test's screen and find
# everything else in order.
# Usage: end_to_end.sh path/to/tamri path/to/tamri_play folder-for-screenshots
# The 1920 x 1080 screenshots go straight into the folder, the others into a subfolder.
set -uo pipefail
tamri=$1
play=$2
out=$3
rm -f "$out"/*.png "$out"/*/*.png
mkdir -p "$out"
unset QT_QPA_PLATFORM
source "$(dirname "$0")/../screen_common.sh"
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime

wm=
panel=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  [ -n "$panel" ] && kill "$panel" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  stop_xvfb
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# openbox with its default configuration, and a tint2 panel along the bottom that reserves
# its height (tamri_play knows its colour).
start_wm() {
  cat >"$runtime/tint2rc" <<'EOF2'
rounded = 0
border_width = 0
background_color = #204080 100
border_color = #000000 0
panel_items = T
panel_position = bottom center horizontal
panel_size = 100% 30
panel_margin = 0 0
panel_padding = 0 0 0
panel_background_id = 1
panel_layer = top
panel_dock = 0
strut_policy = follow_size
autohide = 0
taskbar_mode = single_desktop
EOF2
  openbox --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
  wm=$!
  tint2 -c "$runtime/tint2rc" >/dev/null 2>&1 &
  panel=$!
  wait_for 5 panel_reserved || { echo "FAIL: openbox and tint2 did not reserve the panel within 5 s"; exit 1; }
}
panel_reserved() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q ", $((${size#*x} - 30))\b"; }

stop_wm() {
  kill "$panel" "$wm" 2>/dev/null
  wait "$panel" "$wm" 2>/dev/null
  panel= wm=
}

# Starts the program (with the variables in program_env), lets the driver play, and expects the
# program to end with the code.
program_env=()
scenario() { # expected-exit-code shots-folder driver-arguments...
  local expected=$1 shots=$2
  shift 2
  echo "--- $* ${program_env[*]} (expecting exit code $expected)"
  local binary=$tamri
  [ "$1" = system-check ] && binary=$(dirname "$tamri")/tamri-check
  env "${program_env[@]}" "$binary" &
  program=$!
  local driver=0
  timeout 90 "$play" "$@" --shots "$shots" || driver=$?
  judge_play "$driver" "$* at $size" && await_program "$expected" 5 "$* at $size" "the driver finished"
}

# A termination or interrupt signal ends the program by that signal, at once, where the driver
# arguments in signalled_at have brought it.
signalled_at=(start-screen)
signal_scenario() { # signal [driver scenario to run afterwards, its arguments]
  echo "--- SIG$1 at ${signalled_at[*]}"
  "$tamri" &
  program=$!
  local driver=0
  timeout 30 "$play" "${signalled_at[@]}" || driver=$?
  [ "$driver" = 0 ] || fail "SIG$1 at $size: ${signalled_at[*]} failed (driver exit code $driver)"
  kill -"$1" "$program"
  await_program $((128 + $(kill -l "$1"))) 5 "SIG$1 at $size" "the signal"
  if [ $# -gt 1 ]; then
    driver=0
    timeout 30 "$play" "${@:2}" || driver=$?
    [ "$driver" = 0 ] || fail "SIG$1 at $size: $2 failed (driver exit code $driver)"
  fi
}

began=$SECONDS
for size in 1920x1080 1024x768; do
  shots=$out
  [ "$size" = 1920x1080 ] || shots="$out/$size"
  mkdir -p "$shots"
  start_xvfb "$size" "$runtime"
  echo "=== $size on $DISPLAY"
  # At 1024 x 768 as a German user: Qt's print dialog in German, decimal commas, a German date.
  [ "$size" = 1024x768 ] && program_env=(LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8)
  scenario 1 "$shots" task numbers
  program_env=()
  scenario 1 "$shots" task pictures
  scenario 0 "$shots" escape-start
  scenario 0 "$shots" escape-task numbers
  scenario 0 "$shots" escape-task pictures
  scenario 0 "$shots" escape-finished pictures
  scenario 0 "$shots" ende-finished numbers
  scenario 0 "$shots" system-check
  [ "$size" = 1024x768 ] && signal_scenario TERM && signal_scenario INT
  if [ "$size" = 1920x1080 ]; then
    mkdir -p "$out/scaled"
    program_env=(QT_SCREEN_SCALE_FACTORS=1.5)
    scenario 1 "$out/scaled" task numbers
    program_env=()
  fi
  stop_xvfb
done

size=1366x768
shots="$out/openbox"
mkdir -p "$shots"
start_xvfb "$size" "$runtime"
start_wm
echo "=== $size with openbox and a tint2 panel on $DISPLAY"
scenario 1 "$shots" task pictures
scenario 0 "$shots" bad-input numbers
scenario 0 "$shots" alt-f4
scenario 0 "$shots" system-check
signal_scenario TERM panel-shown
stop_wm
stop_xvfb

# Two monitors, the primary one on the left, bare and under openbox and tint2: the pointer stays on the
# test's monitor from the board to the last hit, and is free at the thanks box, after the end and a signal.
size=3286x1080 primary=(--area 1920x1080)
start_xvfb "$size" "$runtime"
mkdir -p "$out/two_monitors"
xrandr --setmonitor '*primary' 1920/508x1080/286+0+0 screen >/dev/null && xrandr --setmonitor second 1366/361x768/203+1920+0 none \
  || fail "xrandr could not make two monitors"
signalled_at=(task-begun numbers "${primary[@]}" --push-pointer)
for manager in bare openbox; do
  [ $manager = bare ] || start_wm
  echo "=== two monitors, $manager, on $DISPLAY"
  scenario 1 "$out/two_monitors" task numbers "${primary[@]}" --push-pointer
  scenario 0 "$out/two_monitors" system-check "${primary[@]}"
  timeout 30 "$play" pointer-free "${primary[@]}" || fail "two monitors, $manager: the pointer is not free after the end"
  for signal in TERM ABRT; do signal_scenario $signal pointer-free "${primary[@]}"; done
done
stop_wm
stop_xvfb

# The display kept on through the session's screen saver service: on a private bus, a stand-in
# owner (built beside the player) must see Inhibit while the program runs and UnInhibit from it
# before it ends normally; after SIGTERM, UnInhibit or the end of its bus connection, on which
# the service drops the inhibit. Without a bus the program runs as before.
size=1024x768 shots="$out/1024x768"
start_xvfb "$size" "$runtime"
dbus-daemon --session --nofork --print-address --address="unix:path=$runtime/private_bus" >"$runtime/bus_address" 2>/dev/null &
bus=$! standin=
trap 'kill $standin $bus 2>/dev/null; wait $standin $bus; cleanup' EXIT
wait_for 5 test -s "$runtime/bus_address" || { echo "FAIL: dbus-daemon did not start"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$runtime/bus_address")
"$(dirname "$play")/screensaver_standin" >"$runtime/screensaver.log" 2>&1 &
standin=$!
seen() { [ "$(grep -c "^$1" "$runtime/screensaver.log")" -ge "$2" ]; } # line-start count
wait_for 5 seen owner 1 || { echo "FAIL: the stand-in did not take the screen saver's name"; exit 1; }
echo "=== $size on $DISPLAY with the session bus $DBUS_SESSION_BUS_ADDRESS"
scenario 0 "$shots" help-ende
seen Inhibit 1 || fail "the program did not ask the session's screen saver to keep the display on"
seen UnInhibit 1 || fail "the program ended by ENDE without lifting its inhibit"
signalled_at=(start-screen)
signal_scenario TERM
seen Inhibit 2 || fail "the program run to be ended by SIGTERM did not inhibit the screen saver"
wait_for 5 eval 'seen gone 2 || seen UnInhibit 2' || fail "SIGTERM: the screen saver did not see the inhibit end"
program_env=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/no_bus")
scenario 0 "$shots" help-ende
program_env=()
seen Inhibit 3 && fail "the program without a session bus reached the stand-in"
sed 's/^/screen saver: /' "$runtime/screensaver.log"
stop_xvfb

echo "screenshots in $out; all runs took $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "end-to-end passed" || { echo "$failures end-to-end failures"; exit 1; }
