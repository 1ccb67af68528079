# Sourced by the checks that run programs on a screen of their own (tests/e2e, tests/windows,
# win32_desktop_check.sh): failures counted by fail, an Xvfb started and stopped, a program's
# end awaited, and a Wine prefix of the check's own.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts an Xvfb of this size (WxH) on a free display, noting the number in the folder given;
# sets xvfb (its process id) and exports DISPLAY. -noreset: a server that resets when its last
# client leaves refuses new ones for that moment, and a program started right after a
# screenshot then fails to connect.
xvfb=
start_xvfb() { # WxH folder
  local number_file=$2/display
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    if [ -s "$number_file" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then echo "FAIL: Xvfb did not start at $1"; exit 1; fi
  export DISPLAY=":$(head -n1 "$number_file")"
}

stop_xvfb() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  xvfb=
  return 0
}

# Waits up to the seconds given for the program whose process id is in $program to end, ends it
# if it is still running then, and checks its exit code.
program=
await_program() { # expected-exit-code seconds what after-what
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$program" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if kill -0 "$program" 2>/dev/null; then
    fail "$3: the program was still running $2 s after $4"
    kill -9 "$program" 2>/dev/null || true
  fi
  local rc=0
  wait "$program" || rc=$?
  program=
  if [ "$rc" != "$1" ]; then fail "$3: the program ended with exit code $rc, expected $1"; fi
  return 0
}

# A Wine prefix (and home) of the check's own in the folder, quiet, without Mono or Gecko
# installer dialogs and without menu entries written for the Linux desktop. wine_crash_settings
# is what a registry file to import needs so that a crash ends the program at once instead of
# starting Wine's debugger.
use_wine_prefix() { # folder
  mkdir -p "$1/home"
  export HOME=$1/home WINEPREFIX=$1/prefix WINEDEBUG=-all
  unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
}
wine_crash_settings='[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="false"'

# Ends every program of the prefix and waits for the Wine server to go.
end_wine() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
  fi
  return 0
}
