#!/usr/bin/env bash
# Builds the Windows desktop layer with the mingw-w64 cross compiler and runs it under Wine on
# an Xvfb display, against Wine's own taskbar window, foreground window and clocks.
# Wine gets a prefix (and a home) of its own in a temporary folder, removed afterwards.
# Usage: win32_desktop_check.sh source-dir [output folder for the .exe]
set -euo pipefail
source_dir=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
compiler=x86_64-w64-mingw32-g++-posix
for tool in "$compiler" wine wineserver Xvfb; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: $tool is missing; the Windows desktop layer needs the packages g++-mingw-w64-x86-64-posix, wine, wine64 and xvfb"
    exit 1
  }
done

work=$(mktemp -d)
xvfb=
cleanup() {
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$work/prefix" wineserver -w 2>/dev/null || true
  fi
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

mkdir "$work/home"
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
# No Mono or Gecko installer dialogs, no menu entries written for the desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
# A crash ends the child at once instead of starting Wine's debugger. Without a window manager,
# Wine would wait 2 s for one whenever a window is hidden, unless windows are left unmanaged.
cat >"$work/settings.reg" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="false"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
EOF
# The first start of a prefix takes about 10 s; the cross build runs meanwhile.
(cd "$work" && timeout 30 wine reg import settings.reg) >"$work/setup.log" 2>&1 &
setup=$!

exe=$out/win32_desktop_check.exe
"$compiler" -std=c++20 -Wall -Wextra -Wpedantic -Werror -O1 -I"$source_dir" \
  "$source_dir/platform/Os.cpp" "$source_dir/platform/DesktopGuard.cpp" "$source_dir/platform/Win32Os.cpp" \
  "$source_dir/tests/win32_desktop_check.cpp" \
  -static -luser32 -o "$exe"
[ "$(head -c 2 "$exe")" = "MZ" ] || { echo "FAIL: $exe is not a Windows executable"; exit 1; }

wait "$setup" || {
  cat "$work/setup.log"
  echo "FAIL: Wine could not set up a prefix"
  exit 1
}
# The desktop process read its settings before these; the next program starts a new one.
timeout 10 wineserver -w
timeout 20 wine "$exe"
