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

source "$(dirname "$0")/screen_common.sh"
work=$(mktemp -d)
cleanup() {
  end_wine
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb 1024x768 "$work"
use_wine_prefix "$work"
# Without a window manager, Wine would wait 2 s for one whenever a window is hidden, unless
# windows are left unmanaged. The prefix is made while the cross build runs.
set_up_wine_prefix >"$work/setup.out" 2>&1 <<EOF &
[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
EOF
setup=$!

exe=$out/win32_desktop_check.exe
"$compiler" -std=c++20 -Wall -Wextra -Wpedantic -Werror -O1 -I"$source_dir" \
  "$source_dir/platform/Os.cpp" "$source_dir/platform/DesktopGuard.cpp" "$source_dir/platform/Win32Os.cpp" \
  "$source_dir/tests/win32_desktop_check.cpp" \
  -static -luser32 -o "$exe"
[ "$(head -c 2 "$exe")" = "MZ" ] || { echo "FAIL: $exe is not a Windows executable"; exit 1; }

wait "$setup" || { cat "$work/setup.out"; exit 1; }
# The desktop process read its settings before these; the next program starts a new one.
timeout 10 wineserver -w
timeout 20 wine "$exe"
