#!/usr/bin/env bash
# The shell stand-in (shell_stand_in.cpp) takes its commands through the pipe $work/shell_in and
# answers in $work/shell_out.log. Sourced by wine_desktop.sh; run by the player during a task
# (--focus-away) as: shell_stand_in.sh disturb work-folder screenshot-folder [window-in-front]

# Gives the stand-in a command and prints its answer, waiting up to 15 s; fails (1) when the
# answer is a failure or none comes.
stand_in_do() {
  local answer
  answer_line=$(($(wc -l <"$work/shell_out.log") + 1))
  echo "$1" >"$work/shell_in"
  wait_for 15 stand_in_answered >/dev/null
  answer=$(stand_in_answered)
  echo "${answer:-FAIL: $1: the shell stand-in did not answer within 15 s}"
  [ -n "$answer" ] && [ "${answer#FAIL}" = "$answer" ]
}

stand_in_answered() { sed -n "${answer_line}p" "$work/shell_out.log" | tr -d '\r' | grep .; }

# Disturbs the test in each way a real PC does. Once the stand-in has seen the test take the
# screen back, the screen must show the board as before, alone: saved as disturbed_*.png. Each
# failure is a line in $work/disturb_failures. With a window's title (a dialog of the test's
# open), that window must come back in front with the keyboard instead.
disturb_the_test() { # screenshot-folder [window-in-front]
  local shots=$1 disturbance shot
  if [ -n "${2:-}" ]; then
    for disturbance in show-taskbar topmost-window; do
      stand_in_do "$disturbance $2" || { echo "$disturbance over \"$2\"" >>"$work/disturb_failures"; return 1; }
    done
    return
  fi
  import -window root "$work/undisturbed.png"
  for disturbance in show-taskbar second-taskbar new-taskbar topmost-window hung-window clip-pointer; do
    stand_in_do "$disturbance" || echo "$disturbance" >>"$work/disturb_failures"
    shot=$shots/disturbed_$disturbance.png
    wait_for 5 board_alone "$shot" && continue
    echo "FAIL: $disturbance: 5 s after the test was back the screen is not the board alone, see $shot"
    echo "$disturbance" >>"$work/disturb_failures"
  done
}

board_alone() { # screenshot-path
  import -window root "$1"
  [ "$(compare -metric AE "$1" "$work/undisturbed.png" null: 2>&1)" = 0 ]
}

if [ "${1:-}" = disturb ]; then
  source "$(dirname "$0")/../screen_common.sh"
  work=$2
  disturb_the_test "$3" "${4:-}"
fi
