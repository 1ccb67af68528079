#!/usr/bin/env bash
# Proves the README's commands on a freshly installed Debian 12 (bookworm) or 13 (trixie). A
# minimal system of that release in a scratch folder gets a clean clone of this repository and
# runs CI there (`bash .ci/run`, CI=true, no stdin, an almost empty environment); `./run.sh` must
# reach the start screen on a second fresh system with only the packages it installs itself;
# and the package that `./package.sh` makes on the first must install with apt on a third fresh
# system without any build tools, start, and leave nothing behind when removed.
# Run it after any change to the package list, a find_package, or what a test starts.
#
# Usage (as root): tests/fresh_machine.sh [bookworm|trixie]     (bookworm when not given)
# Exits with CI's exit code, or 1 when CI passed but a later check failed.
# The bare system of each release is cached as a tarball in ${TMPDIR:-/tmp}/tamri-fresh-machine;
# delete that folder to start from a new debootstrap. Nothing outside the scratch folder and the
# cache is written, and every mount is undone on every way out.
set -euo pipefail
# Read whole before it runs, so that editing the file meanwhile cannot change a running check.
{

if [ "$(id -u)" -ne 0 ]; then
  echo "tests/fresh_machine.sh needs root (debootstrap, chroot and mounts): run it as root or with sudo." >&2
  exit 1
fi
command -v debootstrap >/dev/null || {
  echo "tests/fresh_machine.sh needs debootstrap on this machine: apt-get install debootstrap" >&2
  exit 1
}

release=${1:-bookworm}
case "$release" in
  bookworm) version=12 ;;
  trixie) version=13 ;;
  *) echo "Usage: tests/fresh_machine.sh [bookworm|trixie]" >&2; exit 2 ;;
esac
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/tests/screen_common.sh"
cache=${TMPDIR:-/tmp}/tamri-fresh-machine
tarball=$cache/$release-minbase-amd64.tar.gz
log=$cache/last-run-$release.log
mkdir -p "$cache"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tamri-fresh.XXXXXX")
build_system=$scratch/build-system
user_system=$scratch/user-system

mounted_below() { # every mount point at or below $1, deepest first
  awk -v top="$1" '$5 == top || index($5, top "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
processes_inside() {
  local pid root
  for pid in /proc/[0-9]*; do
    root=$(readlink "$pid/root" 2>/dev/null) || continue
    case "$root" in "$scratch"/*) echo "${pid#/proc/}" ;; esac
  done
  return 0
}
cleanup() {
  local status=$? pids point
  trap - EXIT INT TERM HUP
  pids=$(processes_inside)
  [ -n "$pids" ] && kill -9 $pids 2>/dev/null
  for point in $(mounted_below "$scratch"); do umount -l "$point" || true; done
  if [ -n "$(mounted_below "$scratch")" ]; then
    echo "Still mounted below $scratch; left in place." >&2
  else
    rm -rf --one-file-system "$scratch"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Runs a command as root inside a system, with nothing of this shell's environment.
inside() { # system command...
  local system=$1
  shift
  chroot "$system" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root CI=true DEBIAN_FRONTEND=noninteractive "$@" </dev/null &
  local child=$!
  # Waiting in the background lets a signal reach the traps at once.
  wait "$child"
}

new_system() { # folder
  mkdir -p "$1"
  if [ ! -f "$tarball" ]; then
    echo "== debootstrap --variant=minbase $release"
    debootstrap --variant=minbase "$release" "$1" http://deb.debian.org/debian
    # As a real installation has them: the point releases' updates and the security archive.
    cat >"$1/etc/apt/sources.list" <<EOF
deb http://deb.debian.org/debian $release main
deb http://deb.debian.org/debian $release-updates main
deb http://deb.debian.org/debian-security $release-security main
EOF
    rm -rf "$1"/var/cache/apt/archives/*.deb "$1"/var/lib/apt/lists/*
    tar -C "$1" -czf "$tarball.part" . && mv "$tarball.part" "$tarball"
  else
    tar -C "$1" -xzf "$tarball"
  fi
  cp -L /etc/resolv.conf "$1/etc/resolv.conf"
  mount -t proc proc "$1/proc"
  mount --bind /dev "$1/dev"
  mount --bind /dev/pts "$1/dev/pts"
  mount -t sysfs sysfs "$1/sys"
  mount -t tmpfs tmpfs "$1/tmp"
}

# Waits for the light yellow start screen on the display (a look every half second: run.sh
# builds meanwhile), then releases Escape and answers the abort box once it has the keyboard;
# the program must then end by itself.
answer_start_screen='
  source /root/tamri/tests/screen_common.sh
  start_screen() {
    sleep 0.4
    colour=$(import -window root -crop 1x1+500+400 -depth 8 txt:- 2>/dev/null | grep -o "#[0-9A-F]\{6\}" | head -n1) || true
    [ "$colour" = "#FAFAAA" ] || [ -e /tmp/program-ended ]
  }
  box_has_keyboard() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = tamri ]; }
  wait_for 1200 start_screen
  echo "pixel (500, 400) of the screen: ${colour:-none}"
  [ "$colour" = "#FAFAAA" ] || exit 1
  xdotool key Escape
  wait_for 10 box_has_keyboard || echo "no box \"tamri\" had the keyboard 10 s after Escape"
  xdotool key Return'

echo "== a fresh Debian $version ($release, minbase) for building"
new_system "$build_system"
git clone -q "$repo" "$build_system/root/tamri"
echo "== CI on the fresh system: bash .ci/run (commit $(git -C "$repo" rev-parse --short HEAD))"
ci=0
inside "$build_system" bash -c 'cd /root/tamri && bash .ci/run' >"$log" 2>&1 || ci=$?
tail -n 30 "$log"
echo "CI exit code on the fresh system: $ci"
[ "$ci" -eq 0 ] || exit "$ci"

# Runs a command on a system whose screen is an Xvfb of the build system, so that the system
# gets no X tools of its own: the program must show the start screen and end with exit code 0.
on_screen() { # system log what command...
  local system=$1 output=$2 what=$3 rc
  shift 3
  mkdir -p "$system/tmp/.X11-unix" "$build_system/tmp/.X11-unix"
  mount --bind "$build_system/tmp/.X11-unix" "$system/tmp/.X11-unix"
  start_xvfb 1024x768 "$build_system/tmp" chroot "$build_system"
  rm -f "$build_system/tmp/program-ended"
  { inside "$system" env DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/tmp "$@" >"$output" 2>&1
    echo $? >"$build_system/tmp/program-ended"; } &
  inside "$build_system" env DISPLAY="$DISPLAY" bash -c "$answer_start_screen" || fail "$what did not show the start screen"
  wait_for 10 test -s "$build_system/tmp/program-ended" || true
  rc=$(cat "$build_system/tmp/program-ended" 2>/dev/null || echo "none: still running")
  stop_xvfb
  echo "$what ended with exit code $rc"
  [ "$rc" = 0 ] || { tail -n 20 "$output"; fail "$what did not end with exit code 0"; }
}

echo "== ./run.sh on a second fresh system: only what run.sh installs; the screen is the first's Xvfb"
run_system=$scratch/run-system
new_system "$run_system"
git clone -q "$repo" "$run_system/root/tamri"
on_screen "$run_system" "$cache/run-$release.log" ./run.sh bash -c 'cd /root/tamri && ./run.sh'

echo "== ./package.sh on the first fresh system"
inside "$build_system" bash -c 'cd /root/tamri && ./package.sh >/tmp/package.log 2>&1 || { tail -n 30 /tmp/package.log; exit 1; }' ||
  fail "./package.sh"
# The fresh system has no git; the clone is read from outside.
changed=$(git -C "$build_system/root/tamri" status --porcelain)
[ -z "$changed" ] || fail "packaging changed the source tree: $changed"
deb=$(ls "$build_system"/root/tamri/tamri_*_amd64.deb 2>/dev/null | head -n1)

if [ -n "$deb" ]; then
  echo "== $(basename "$deb") on a third fresh system, with apt and nothing else"
  new_system "$user_system"
  cp "$deb" "$user_system/root/"
  inside "$user_system" bash -c 'apt-get update -qq && apt-get install -y -qq --no-install-recommends ./root/tamri_*_amd64.deb' \
    >"$cache/install-$release.log" 2>&1 || { tail -n 20 "$cache/install-$release.log"; fail "apt-get install ./$(basename "$deb")"; }
  for tool in cc c++ cmake make; do
    inside "$user_system" sh -c "! command -v $tool" >/dev/null || fail "the user's system has $tool"
  done
  on_screen "$user_system" "$cache/tamri-$release.log" /usr/bin/tamri /usr/bin/tamri

  inside "$user_system" apt-get remove -y -qq tamri >/dev/null 2>&1 || fail "apt-get remove tamri"
  for path in $(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }'); do
    [ ! -e "$user_system$path" ] || fail "left behind after apt remove: $path"
  done
  [ ! -e "$user_system/usr/share/doc/tamri" ] || fail "left behind after apt remove: /usr/share/doc/tamri"
  echo "apt remove tamri: checked"
else
  fail "no package was made"
fi

echo "== summary (full CI log: $log, run.sh's: $cache/run-$release.log)"
grep -E 'tests passed|tests failed|Total Test time|end-to-end passed|end-to-end failures' "$log" || true
echo "downloads of ./test.sh, then of ./run.sh:"; grep -h '^Need to get' "$log" "$cache/run-$release.log" || true
[ "$failures" -eq 0 ] || { echo "CI passed, but $failures later checks failed"; exit 1; }
echo "fresh machine check passed"
exit
}
