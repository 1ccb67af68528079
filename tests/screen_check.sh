#!/usr/bin/env bash
# Starts the real program under Xvfb, looks at the screen as a user would and drives it
# with the keyboard and mouse: the start screen, an Escape abort, and a Numbers board.
# Usage: screen_check.sh path/to/tamri [folder for the screenshots]
set -euo pipefail
tamri=$1
shots=${2:-$(mktemp -d)}
mkdir -p "$shots"
width=1024
height=768

display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
export DISPLAY=":${display}"
unset QT_QPA_PLATFORM
Xvfb "$DISPLAY" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

shoot() { import -window root "$shots/$1.png"; }
pixel() { convert "$shots/$1.png" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
expect_pixel() { # shot x y "r,g,b" what
  local seen
  seen=$(pixel "$1" "$2" "$3")
  [ "$seen" = "$4" ] || fail "$5: pixel ($2,$3) of $1 is $seen, expected $4"
}
# Waits until the pixel shows the colour (the program draws asynchronously).
wait_pixel() { # name x y "r,g,b"
  for _ in $(seq 100); do
    shoot "$1"
    [ "$(pixel "$1" "$2" "$3")" = "$4" ] && return 0
    sleep 0.1
  done
  return 1
}
# Waits until a window with this title is mapped.
wait_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
start_program() {
  "$tamri" &
  program=$!
  wait_pixel start 500 400 "250,250,170" || fail "the start screen did not appear in light yellow"
}
# Waits for the program to end and checks its exit code.
expect_exit() { # code what
  local rc=0
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  wait "$program" || rc=$?
  program=
  [ "$rc" = "$1" ] || fail "$2: exit code $rc, expected $1"
}

# 1. The start screen, then Escape: the abort box, answered, and exit code 0.
start_program
expect_pixel start 500 400 "250,250,170" "start screen background"
expect_pixel start 600 16 "192,192,192" "control panel"
expect_pixel start 5 32 "192,192,192" "control panel bottom row"
expect_pixel start 5 33 "250,250,170" "first row below the panel"
expect_pixel start 1023 767 "250,250,170" "bottom right corner"
xdotool key Escape
wait_window tamri || fail "no abort box after Escape"
shoot abort_box
xdotool key Return
expect_exit 0 "Escape on the start screen"

# 2. A Numbers task: the instruction picture and box, then the board.
start_program
xdotool key alt+z
wait_window Information || fail "no instruction box"
shoot instruction
# The picture (337 x 328) sits at ((1024 - 337) div 2, (768 - 328) div 5) = (343, 88).
expect_pixel instruction 343 88 "$(pixel instruction 343 88)" "instruction picture"
xdotool key Return
# 1024 x 768, 9 x 7 cells of 70: gapX 41, gapY 36, board at (33, 31).
wait_pixel board 36 34 "238,238,238" || fail "no light grey cell at the top left of the board"
expect_pixel board 30 34 "255,255,255" "white left of the first cell"
expect_pixel board 33 31 "238,238,238" "top-left pixel of cell (0,0)"
expect_pixel board 102 100 "238,238,238" "bottom-right pixel of cell (0,0)"
expect_pixel board 103 100 "255,255,255" "white right of cell (0,0)"
expect_pixel board 925 673 "238,238,238" "cell (8,6) at (921,667)"
# The centre cell (4,3) at (477, 349); the frame runs 20 px outside it with a 6 px pen.
expect_pixel board 457 384 "255,0,0" "left side of the target frame"
expect_pixel board 567 384 "255,0,0" "right side of the target frame"
expect_pixel board 512 329 "255,0,0" "top side of the target frame"
expect_pixel board 512 439 "255,0,0" "bottom side of the target frame"
expect_pixel board 462 384 "255,255,255" "inside the frame, outside the cell"
xdotool key Escape
wait_window tamri || fail "no abort box after Escape on the board"
xdotool key Return
expect_exit 0 "Escape during the task"

# 3. A Pictures task: the board, and the centre shows a picture that one other cell shows.
start_program
xdotool key alt+b
wait_window Information || fail "no instruction box for the Pictures task"
xdotool key Return
# 1024 x 768, 7 x 5 cells of 103: gapX 40, gapY 46, board at (31, 34); the centre (3,2) at (460, 332).
wait_pixel board_pictures 458 382 "255,0,0" || fail "no target frame 2 px outside the Pictures centre"
expect_pixel board_pictures 460 382 "255,0,0" "the frame overlaps the centre cell's edge"
expect_pixel board_pictures 452 382 "255,255,255" "white outside the frame"
# Compared inside the cells: the 6 px frame pen reaches 1 px into the centre cell's edges.
convert "$shots/board_pictures.png" -crop 95x95+464+336 +repage "$shots/centre.png"
matches=0
for row in 0 1 2 3 4; do
  for column in 0 1 2 3 4 5 6; do
    [ "$column$row" = "32" ] && continue
    x=$((31 + column * 143)); y=$((34 + row * 149))
    convert "$shots/board_pictures.png" -crop "95x95+$((x + 4))+$((y + 4))" +repage "$shots/cell.png"
    differing=$(compare -metric AE "$shots/centre.png" "$shots/cell.png" null: 2>&1 || true)
    [ "$differing" = "0" ] && matches=$((matches + 1))
  done
done
rm -f "$shots/centre.png" "$shots/cell.png"
[ "$matches" = 1 ] || fail "the centre's picture is shown by $matches other cells, expected exactly 1"
xdotool key Escape
wait_window tamri || fail "no abort box after Escape on the Pictures board"
xdotool key Return
expect_exit 0 "Escape during the Pictures task"

# 4. Termination and interrupt signals on the real process: it ends by the signal and the
#    desktop below shows again (Xvfb's root window is black).
for signal in TERM INT; do
  start_program
  kill -"$signal" "$program"
  expect_exit $((128 + $(kill -l "$signal"))) "SIG$signal"
  shoot "after_$signal"
  expect_pixel "after_$signal" 500 400 "0,0,0" "the desktop after SIG$signal"
done

echo "screenshots in $shots"
[ "$failures" -eq 0 ] && echo "screen check passed" || { echo "$failures screen check failures"; exit 1; }
