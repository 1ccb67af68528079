# Sourced by the Windows tests, whose arguments are: windows-build-folder path/to/tamri_play
# folder-for-screenshots. Wine's virtual desktop with its taskbar on an Xvfb display of the same
# size, in a throw-away prefix (and home), plus the taskbar probe. Sets build, play, out (emptied),
# $work (removed on exit), DISPLAY, WINEPREFIX and HOME; defines windows_package,
# wine_desktop_start, wine_desktop_stop, stand_in_do, taskbar_state, taskbar_is and
# taskbar_strip_is_back, besides what tests/screen_common.sh defines.
set -uo pipefail
build=$(realpath -m "$1")
play=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
for tool in x86_64-w64-mingw32-g++-posix wine wineserver Xvfb import compare; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: $tool is missing; the Windows tests need the packages g++-mingw-w64-x86-64-posix, wine, wine64, xvfb and imagemagick"
    exit 1
  }
done
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../screen_common.sh"
source "$here/shell_stand_in.sh"
work=$(mktemp -d)
desktop=

probe_build=
wine_desktop_cleanup() {
  [ -n "$probe_build" ] && kill "$probe_build" 2>/dev/null
  wine_desktop_stop
  rm -rf "$work"
}
trap wine_desktop_cleanup EXIT
trap 'exit 130' INT TERM

use_wine_prefix "$work"

# Sets package to the Windows build's package that matches the pattern, or ends the check: also
# when a source of the program is newer, so that no check passes on an old program.
windows_package() { # pattern what
  package=$(ls "$build"/packages/$1 2>/dev/null | head -n1)
  [ -f "$package" ] || { echo "FAIL: no Windows $2 in $build/packages: ./test.sh or ./package.sh windows makes it"; exit 1; }
  local sources=$here/../.. newer
  newer=$(find "$sources"/{task,results,common,platform,resources,packaging/windows} "$sources/CMakeLists.txt" \
    -type f -newer "$package" -print -quit)
  [ -z "$newer" ] || {
    echo "FAIL: $package is older than $(realpath --relative-to="$sources" "$newer"): ./test.sh or ./package.sh windows builds it anew"
    exit 1; }
}

# Compiled while the prefix is made.
(for tool in taskbar_probe shell_stand_in; do
  x86_64-w64-mingw32-g++-posix -std=c++20 -Wall -Wextra -O1 -static "$here/$tool.cpp" -lgdi32 -lwinspool -o "$work/$tool.exe" || exit 1
done) &
probe_build=$!

# Starts Xvfb and Wine's desktop "shell" at this size (WxH) with its taskbar, and waits until the
# taskbar is up: every program of the prefix then opens inside that desktop. The display's DPI
# (LogPixels: 96 is 100 % display scaling, 120 is 125 %, 144 is 150 %, 192 is 200 %) defaults to 96.
# With "stand-in" as the third argument, the shell stand-in (shell_stand_in.cpp) provides the
# taskbar instead, on a desktop without Wine's own, so that it can disturb as a real shell does:
# stand_in_do then gives it a command.
wine_desktop_start() {
  local size=$1 dpi=${2:-96} shell=shell
  export TAMRI_WINE_DPI=$dpi # for the player, which knows the window borders at each scaling
  probe_options=()
  [ "${3:-}" = stand-in ] && shell=lab && probe_options=(--without-explorer)
  start_xvfb "$size" "$work"
  local began=$SECONDS
  set_up_wine_prefix <<EOF
[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="$shell"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"$shell"="$size"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf %08x "$dpi")
EOF
  if [ -n "$probe_build" ]; then
    wait "$probe_build" || { echo "FAIL: the taskbar probe or the shell stand-in did not build"; exit 1; }
    probe_build=
  fi
  wine explorer "/desktop=$shell,$size" >/dev/null 2>&1 &
  desktop=$!
  if [ "$shell" != shell ]; then
    rm -f "$work/shell_in" "$work/shell_out.log"
    mkfifo "$work/shell_in"
    wine "$work/shell_stand_in.exe" <"$work/shell_in" >"$work/shell_out.log" 2>&1 &
    exec 7>"$work/shell_in" # held open, so that the stand-in reads on between commands
    stand_in_do taskbar >/dev/null
  fi
  local state
  wait_for 20 taskbar_is visible || {
    [ "$shell" = shell ] || cat "$work/shell_out.log"
    echo "FAIL: Wine's desktop showed no taskbar within 20 s (the taskbars: $state)"
    exit 1
  }
  # Its first paint is over once two screenshots in a row show the same strip.
  import -window root "$work/taskbar_before.png"
  wait_for 10 taskbar_painted || { echo "FAIL: the taskbar's pixels still changed after 10 s"; exit 1; }
  echo "Wine's desktop $size at $dpi DPI with its taskbar on $DISPLAY after $((SECONDS - began)) s"
}
taskbar_painted() {
  taskbar_strip_is_back "$work/taskbar_now.png" || { mv "$work/taskbar_now.png" "$work/taskbar_before.png"; false; }
}

# Ends the prefix's programs, the desktop and Xvfb, so that another desktop can start.
wine_desktop_stop() {
  exec 7>&-
  end_wine
  [ -n "$desktop" ] && { kill "$desktop"; wait "$desktop"; } 2>/dev/null
  desktop=
  stop_xvfb
}

# "visible", "hidden", "partly hidden" or "none": the taskbars as Windows sees them (on the
# stand-in's desktop, the stand-in's alone).
probe_options=()
taskbar_state() { timeout 20 wine "$work/taskbar_probe.exe" "${probe_options[@]}" 2>/dev/null | tr -d '\r'; }
taskbar_is() { state=$(taskbar_state); [ "$state" = "$1" ]; } # state: sets state

# Whether the screen's bottom strip (the taskbar's place, 20 px high under Wine) looks as it did
# when the desktop had just started; saves the screen as $1.png.
taskbar_strip_is_back() { # screenshot-path
  import -window root "$1"
  local width height
  read -r width height < <(identify -format '%w %h' "$1")
  local strip="${width}x20+0+$((height - 20))"
  convert "$1" -crop "$strip" +repage "$work/strip_now.png"
  convert "$work/taskbar_before.png" -crop "$strip" +repage "$work/strip_before.png"
  [ "$(compare -metric AE "$work/strip_now.png" "$work/strip_before.png" null: 2>&1)" = 0 ]
}
