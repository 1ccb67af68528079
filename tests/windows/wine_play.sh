#!/usr/bin/env bash
# Plays the Windows program from its ZIP folder under Wine, inside Wine's virtual desktop at
# 1366 x 768 with its taskbar, with the same player as on Linux (tests/e2e/play.cpp). Checks each
# way out with its exit code, and the taskbar: visible before, hidden while the program runs
# (from the Windows side and by its pixels), visible again after. Then a task that another
# program disturbs (shell_stand_in.sh), and both tasks at 1920 x 1080 with display scaling at 125,
# 150 and 200 %, where the test must look as at 100 %.
# Usage: wine_play.sh windows-build-folder path/to/tamri_play folder-for-screenshots
source "$(dirname "$0")/wine_desktop.sh"
windows_package 'tamri-*-windows-x64.zip' "ZIP folder"
zip=$package
(cd "$work" && cmake -E tar xf "$zip") || { echo "FAIL: cannot unpack $zip"; exit 1; }
exe=$(ls "$work"/tamri-*-windows-x64/Tamri.exe)

began=$SECONDS
wine_desktop_start 1366x768
cp "$work/taskbar_before.png" "$out/desktop_before.png"

# Starts the program, lets the driver play, and expects the program to end with the code and
# the taskbar to be shown again.
scenario() { # expected-exit-code driver-arguments...
  local expected=$1 name="$2 ${3:-}"
  name=${name% }
  shift
  echo "--- $name (expecting exit code $expected)"
  wine "$exe" &
  program=$!
  local driver=0
  timeout 60 "$play" start-screen --wine-desktop || driver=$?
  if [ "$driver" = 0 ]; then
    local state
    state=$(taskbar_state)
    [ "$state" = hidden ] || fail "$name: the taskbar is $state while the program shows its start screen, expected hidden"
    echo "taskbar while the program runs: $state"
    timeout 120 "$play" "$@" --wine-desktop --shots "$shots" || driver=$?
  fi
  # After a play broken off, the prefix's processes are ended, and the desktop with them.
  judge_play "$driver" "$name" || { timeout 10 wineserver -k 2>/dev/null; exit 1; }
  await_program "$expected" 10 "$name" "the driver finished"
  local state shot="$shots/desktop_after_${name// /_}.png"
  wait_for 5 taskbar_is visible
  taskbar_strip_is_back "$shot" || fail "$name: the taskbar's pixels differ from the desktop's start, see $shot"
  [ "$state" = visible ] || fail "$name: the taskbar is $state after the program ended, expected visible"
  echo "taskbar afterwards: $state"
}

# The system check's report at this desktop's scaling, with its taskbars hidden and shown.
system_check() {
  echo "--- system check"
  wine "${exe%/*}/tamri-check.exe" &
  program=$!
  local driver=0
  timeout 60 "$play" system-check --wine-desktop --shots "$shots" || driver=$?
  judge_play "$driver" "system check" || { timeout 10 wineserver -k 2>/dev/null; exit 1; }
  await_program 0 10 "the system check" "Escape"
  wait_for 5 taskbar_is visible || fail "the taskbar is $(taskbar_state) after the system check"
}

shots=$out
scenario 1 task numbers
scenario 1 task pictures
scenario 0 help-ende
scenario 0 escape-task numbers
# Where explorer runs: the report is read from the clipboard, which Wine hands to X through it.
system_check

# Another program disturbs the test during a task as on a real PC: the taskbar shown again, a
# further monitor's taskbar, a restarted shell's new taskbar, a topmost window in front. Each time
# the test takes the screen back within moments, and takes the next click. With a printer added,
# the same (the taskbar, a topmost window) while the print dialog is open: it must keep the front.
wine_desktop_stop
wine_desktop_start 1366x768 96 stand-in
shots=$out/disturbed
mkdir -p "$shots"
stand_in_do printer >/dev/null || fail "no printer for the print dialog under Wine"
scenario 1 task numbers --focus-away "$here/shell_stand_in.sh disturb $work $shots"
[ -s "$work/disturb_failures" ] \
  && fail "the test did not take the screen back after: $(tr '\n' ' ' <"$work/disturb_failures")"

# The first counter "0" in the window's own MS Sans Serif, the same glyph at every scaling.
counter_zero() { convert "$1" -crop 48x20+15+5 +repage "$2"; }
counter_zero "$out/board_numbers.png" "$work/zero_96.png"
for dpi in 120 144 192; do
  wine_desktop_stop
  wine_desktop_start 1920x1080 "$dpi"
  shots=$out/$dpi-dpi
  mkdir -p "$shots"
  scenario 1 task numbers
  scenario 1 task pictures
  [ "$dpi" = 144 ] && system_check
  if [ -f "$shots/board_numbers.png" ]; then
    counter_zero "$shots/board_numbers.png" "$work/zero.png"
    [ "$(compare -metric AE "$work/zero.png" "$work/zero_96.png" null: 2>&1)" = 0 ] \
      || fail "at $dpi DPI the first counter differs from the one at 96 DPI"
  fi
done

echo "screenshots in $out; all runs took $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "Windows program under Wine passed" || { echo "$failures failures under Wine"; exit 1; }
