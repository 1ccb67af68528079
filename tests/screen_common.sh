# Sourced by the checks under tests/, bench/run_all.sh and docs/human_pace_screens.sh: failures
# counted by fail, a time-limited wait, an Xvfb started and stopped, a program's end awaited, and
# a Wine prefix of the check's own.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the command every tenth of a second until it succeeds; fails once the seconds given have
# passed without. (The clock's decimal point is the locale's.)
wait_for() { # seconds command...
  local end=$((${EPOCHREALTIME//[.,]/} + $1 * 1000000))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME//[.,]/}" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Starts an Xvfb of this size (WxH) on a display it finds free, noting the number in the folder
# given; sets xvfb (its process id) and exports DISPLAY. Further arguments go before Xvfb (a
# chroot, say). -noreset: a server that resets when its last client leaves refuses new ones for
# that moment, and a program started right after a screenshot then fails to connect.
xvfb=
start_xvfb() { # WxH folder [command-prefix...]
  local size=$1 number_file=$2/display
  shift 2
  : >"$number_file"
  "$@" Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  xvfb=$!
  wait_for 10 test -s "$number_file" || { echo "FAIL: Xvfb did not start at $size"; exit 1; }
  export DISPLAY=":$(head -n1 "$number_file")"
}

stop_xvfb() {
  [ -n "$xvfb" ] && { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null
  xvfb=
}

# Waits up to the seconds given for the program whose process id is in $program to end, ends it
# if it is still running then, and checks its exit code.
program=
gone() { ! kill -0 "$1" 2>/dev/null; } # process-id
await_program() { # expected-exit-code seconds what after-what
  if ! wait_for "$2" gone "$program"; then
    fail "$3: the program was still running $2 s after $4"
    kill -9 "$program" 2>/dev/null || true
  fi
  local rc=0
  wait "$program" || rc=$?
  program=
  if [ "$rc" != "$1" ]; then fail "$3: the program ended with exit code $rc, expected $1"; fi
  return 0
}

# Judges a play by the player's exit code: 1, its checks failed; other than 0 and 1, the play
# broke off, and the program, whose exit code then means nothing, is ended. Fails (1) on that.
judge_play() { # driver-exit-code what
  [ "$1" = 1 ] && fail "$2: checks failed"
  [ "$1" = 0 ] || [ "$1" = 1 ] && return 0
  fail "$2: the play broke off (driver exit code $1)"
  { kill "$program"; wait "$program"; } 2>/dev/null
  program=
  return 1
}

# A Wine prefix (and home) of the check's own in the folder, quiet, without Mono or Gecko
# installer dialogs and without menu entries written for the Linux desktop.
use_wine_prefix() { # folder
  mkdir -p "$1/home"
  wine_folder=$1
  export HOME=$1/home WINEPREFIX=$1/prefix WINEDEBUG=-all
  unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
  # Wine names the files it makes in the locale's character set: in CI's C locale the
  # Start-menu entry "Tamri Systemprüfung" could not be made.
  [ -n "${LC_ALL:-}" ] || export LC_CTYPE=C.UTF-8
}

# Makes the prefix if need be and lets it settle (its server ends with its last program): Wine
# goes on writing a new prefix's registry after its first program has returned, and Wine 10 under
# load rewrote the fonts' key after our import. Then puts in the faces Windows brings and the
# settings: those given as registry file lines on the standard input, and a crash that ends the
# program at once instead of starting Wine's debugger.
set_up_wine_prefix() { # <registry-lines
  local log=$wine_folder/setup.log
  if [ ! -d "$WINEPREFIX" ]; then
    (timeout 60 wine wineboot --init && timeout 60 wineserver -w) >"$log" 2>&1 \
      || { cat "$log"; echo "FAIL: Wine could not make a prefix"; exit 1; }
  fi
  # Wine's own Tahoma and MS Sans Serif (fonts-wine; sserife.fon, a bitmap face as on Windows):
  # Debian's wine 8.0 looks in /usr/share/fonts/, not in /usr/share/wine/fonts/.
  for face in tahoma.ttf tahomabd.ttf sserife.fon; do
    cp "/usr/share/wine/fonts/$face" "$WINEPREFIX/drive_c/windows/Fonts/" \
      || { echo "FAIL: /usr/share/wine/fonts/$face is missing (package fonts-wine)"; exit 1; }
  done
  cat >"$wine_folder/settings.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]
"Auto"="1"
"Debugger"="false"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]
"Tahoma (TrueType)"="tahoma.ttf"
"Tahoma Bold (TrueType)"="tahomabd.ttf"
"MS Sans Serif 8,10,12,14,18,24"="sserife.fon"

$(cat)
EOF
  (cd "$wine_folder" && timeout 60 wine reg import settings.reg) >>"$log" 2>&1 \
    || { cat "$log"; echo "FAIL: Wine could not take the prefix's settings"; exit 1; }
}

# Ends every program of the prefix and waits for the Wine server to go.
end_wine() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
  fi
  return 0
}
