#!/usr/bin/env bash
# Plays the real program on a Wayland desktop: GNOME's compositor (mutter) nested in an Xvfb,
# driven through that Xvfb with tamri_play, which sees only the pixels there. With one 1366 x 768
# monitor, through XWayland as a GNOME session starts the program and natively as a user who
# forces Wayland does, each with another window taking the focus during the task; then two
# monitors, natively where no X server is at hand.
# With --right-primary, two monitors through XWayland with the right output primary instead:
# everything must stay on the primary one. With --gnome-shell (not part of the suite: GNOME Shell
# is a large install) one task under the whole GNOME Shell, with its top bar, through XWayland.
# Exits with 77 where the case cannot be played on this desktop.
# Usage: wayland_play.sh path/to/tamri path/to/tamri_play folder-for-screenshots [--right-primary|--gnome-shell]
set -uo pipefail
tamri=$1
play=$2
out=$3
mode=${4:-}
# Mutter 48 places windows by its own primary monitor whatever xrandr makes XWayland's (the start
# screen was seen on the left output with the right one primary): it needs its own configuration.
if [ "$mode" = --right-primary ] && [ "$(mutter --version | grep -o '[0-9]*' | head -n1)" -ge 48 ]; then
  echo "skipped: $(mutter --version | head -n1) places windows by its own primary monitor, not by XWayland's"
  exit 77
fi
rm -rf "$out"
mkdir -p "$out"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
source "$(dirname "$0")/../screen_common.sh"
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime

compositor=
# Ends the compositor so that dbus-run-session ends its session bus too: ended itself, it would
# leave the bus behind.
end_compositor() {
  [ -n "$compositor" ] || return 0
  pkill -TERM -P "$compositor" -x 'mutter|gnome-shell' 2>/dev/null
  wait_for 5 gone "$compositor"
  { kill "$compositor"; wait "$compositor"; } 2>/dev/null
  compositor=
}
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  stop_compositor
  wait 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# An Xvfb as wide as the monitors side by side, and mutter drawing all of them into one window
# at its top-left corner. Sets host (the Xvfb), xwayland and XAUTHORITY (mutter's X server).
start_compositor() { # monitors
  local monitors=$1
  start_xvfb "$((1366 * monitors))x768" "$runtime"
  host=$DISPLAY
  # Windows that fade in and out would make the pixels depend on the moment.
  mkdir -p "$runtime/config/glib-2.0/settings"
  # Nor may a notification banner (GNOME Shell tells root it is privileged) lie over the test:
  # "Do Not Disturb", as an examiner would set it.
  printf '[org/gnome/desktop/interface]\nenable-animations=false\n[org/gnome/desktop/notifications]\nshow-banners=false\n' \
    >"$runtime/config/glib-2.0/settings/keyfile"
  # GNOME Shell wants a system bus for logind; the session bus stands in for it.
  local command="exec mutter --wayland --nested --wayland-display=tamri-wayland"
  [ "$mode" = --gnome-shell ] && command='echo "session bus: $DBUS_SESSION_BUS_ADDRESS"
    DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS exec gnome-shell --nested --wayland --wayland-display=tamri-wayland'
  DISPLAY=$host MUTTER_DEBUG_DUMMY_MODE_SPECS=1366x768 MUTTER_DEBUG_NUM_DUMMY_MONITORS=$monitors \
    GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME="$runtime/config" dbus-run-session -- sh -c "$command" >"$runtime/mutter.log" 2>&1 &
  compositor=$!
  wait_for 15 compositor_up || { cat "$runtime/mutter.log"; echo "FAIL: mutter did not start within 15 s"; exit 1; }
  export XAUTHORITY
  XAUTHORITY=$(ls "$runtime"/.mutter-Xwaylandauth.*)
}

compositor_up() {
  xwayland=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$runtime/mutter.log")
  [ -n "$xwayland" ] && [ -S "$runtime/tamri-wayland" ]
}

stop_compositor() {
  end_compositor
  stop_xvfb
  rm -f "$runtime"/.mutter-Xwaylandauth.*
}

# Whether the program's main window is an X window of mutter's XWayland.
on_xwayland() { xwininfo -display "$xwayland" -root -tree 2>/dev/null | grep -q '"Tamri"'; }

# Starts the program with the environment given, lets the player play a whole Numbers task
# through the Xvfb, and expects the end by "Betrachter schliessen".
play_task() { # what shots xwayland|native player-options -- environment...
  local what=$1 shots=$2 want=$3
  shift 3
  local options=()
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  echo "--- $what"
  mkdir -p "$shots"
  env "$@" "$tamri" &
  program=$!
  local seen=native
  wait_for 5 on_xwayland && seen=xwayland
  [ "$seen" = "$want" ] || fail "$what: the program runs $seen, expected $want"
  local driver=0
  DISPLAY=$host timeout 80 "$play" task numbers --pixels-only "${options[@]}" --shots "$shots" || driver=$?
  judge_play "$driver" "$what" && await_program 1 5 "$what" "the play"
}

# A window of another program that takes the focus for two seconds.
away() { # x11|wayland
  local connection="DISPLAY=$xwayland"
  [ "$1" = wayland ] && connection=WAYLAND_DISPLAY=tamri-wayland
  echo "env GDK_BACKEND=$1 $connection zenity --info --text='Ein anderes Programm' --timeout=2"
}

# Whether GNOME Shell's overview is open (true) or not (false), as the shell tells.
overview_is() { # true|false
  DBUS_SESSION_BUS_ADDRESS=$(sed -n 's/^session bus: //p' "$runtime/mutter.log") timeout 5 gdbus call --session \
    --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.freedesktop.DBus.Properties.Get \
    org.gnome.Shell OverviewActive 2>/dev/null | grep -q "<$1>"
}

began=$SECONDS
session=(XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=tamri-wayland)
case "$mode" in
--gnome-shell)
  start_compositor 1
  echo "=== GNOME Shell on $host, XWayland $xwayland"
  # The shell opens with its overview once it is up; a user leaves it before starting a test.
  wait_for 30 overview_is true || echo "note: GNOME Shell showed no overview within 30 s"
  DISPLAY=$host xdotool mousemove 600 400 key Escape
  wait_for 10 overview_is false || fail "GNOME Shell's overview was still open 10 s after Escape"
  play_task "GNOME Shell: through XWayland" "$out/gnome_shell" xwayland -- "${session[@]}" DISPLAY="$xwayland"
  ;;
--right-primary)
  start_compositor 2
  echo "=== mutter with two monitors on $host, XWayland $xwayland"
  # A new compositor shows its pointer on the left output, which must not change; the player parks
  # it in its area's top-right corner only after its first click.
  DISPLAY=$host xdotool mousemove 2731 0
  # As X11 programs see it: a window put at (0, 0) would land on the left one. XWayland names its
  # outputs after its own fashion: the right one is the one at x 1366.
  right=$(DISPLAY=$xwayland xrandr --query | awk '$2 == "connected" && / [0-9]+x[0-9]+\+1366\+0 / { print $1 }')
  # XWayland takes the new primary a moment after xrandr returns.
  right_is_primary() { DISPLAY=$xwayland xrandr --query | grep -q " connected primary [0-9]*x[0-9]*+1366+0 "; }
  if [ -n "$right" ] && DISPLAY=$xwayland xrandr --output "$right" --primary && wait_for 5 right_is_primary; then
    play_task "two monitors, the right one primary: through XWayland" "$out" xwayland \
      --area 1366x768+1366+0 -- "${session[@]}" DISPLAY="$xwayland"
  else
    fail "xrandr could not make the right output primary (outputs: $(DISPLAY=$xwayland xrandr --query | grep ' connected' | tr '\n' ';'))"
  fi
  ;;
*)
  start_compositor 1
  echo "=== mutter with one monitor on $host, XWayland $xwayland"
  # As a GNOME session on Wayland starts a program.
  session+=(DISPLAY="$xwayland")
  play_task "GNOME session: through XWayland" "$out/xwayland" xwayland --focus-away "$(away x11)" -- "${session[@]}"
  play_task "QT_QPA_PLATFORM=wayland: native" "$out/native" native --focus-away "$(away wayland)" -- \
    "${session[@]}" QT_QPA_PLATFORM=wayland
  stop_compositor
  start_compositor 2
  echo "=== mutter with two monitors on $host"
  play_task "two monitors, no X server: native" "$out/two_monitors" native --area 1366x768 -- \
    -u DISPLAY WAYLAND_DISPLAY=tamri-wayland
  ;;
esac
stop_compositor

echo "screenshots in $out; all runs took $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "wayland play passed" || { echo "$failures failures"; exit 1; }
