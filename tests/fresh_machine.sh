#!/usr/bin/env bash
# Proves the README's commands on a freshly installed Debian 12: a minimal bookworm system in
# a scratch folder gets a clean clone of this repository and runs CI there (`bash .ci/run`,
# CI=true, no stdin, an almost empty environment), then `./run.sh` must reach the start
# screen. Run it after any change to the package list, a find_package, or what a test starts.
#
# Usage (as root): tests/fresh_machine.sh
# Exits with CI's exit code (or 1 when CI passed but run.sh did not reach the start screen).
# The bare system is cached as a tarball in ${TMPDIR:-/tmp}/tamri-fresh-machine; delete that
# folder to start from a new debootstrap. Nothing outside the scratch folder and the cache is
# written, and every mount is undone on every way out.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "tests/fresh_machine.sh needs root (debootstrap, chroot and mounts): run it as root or with sudo." >&2
  exit 1
fi
command -v debootstrap >/dev/null || {
  echo "tests/fresh_machine.sh needs debootstrap on this machine: apt-get install debootstrap" >&2
  exit 1
}

repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${TMPDIR:-/tmp}/tamri-fresh-machine
tarball=$cache/bookworm-minbase-amd64.tar.gz
log=$cache/last-run.log
mkdir -p "$cache"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tamri-fresh.XXXXXX")
root=$scratch/root
mkdir -p "$root"

mounted_below() { # every mount point at or below $1, deepest first
  awk -v top="$1" '$5 == top || index($5, top "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
processes_inside() {
  local pid
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && echo "${pid#/proc/}"
  done
  return 0
}
cleanup() {
  local status=$? pids
  trap - EXIT INT TERM HUP
  pids=$(processes_inside)
  [ -n "$pids" ] && kill -9 $pids 2>/dev/null
  local point
  for point in $(mounted_below "$root"); do umount -l "$point" || true; done
  if [ -n "$(mounted_below "$root")" ]; then
    echo "Still mounted below $root; left in place: $scratch" >&2
  else
    rm -rf --one-file-system "$scratch"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Runs a command as root inside the system, with nothing of this shell's environment.
inside() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root CI=true "$@" </dev/null &
  local child=$!
  # Waiting in the background lets a signal reach the traps at once.
  wait "$child"
}

if [ -f "$tarball" ]; then
  echo "== a fresh Debian 12 (minbase) from $tarball"
  tar -C "$root" -xzf "$tarball"
else
  echo "== debootstrap --variant=minbase bookworm"
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
  # As a real installation has them: the point releases' updates and the security archive.
  cat >"$root/etc/apt/sources.list" <<'EOF'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
  rm -rf "$root"/var/cache/apt/archives/*.deb "$root"/var/lib/apt/lists/*
  tar -C "$root" -czf "$tarball.part" . && mv "$tarball.part" "$tarball"
fi

cp -L /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t sysfs sysfs "$root/sys"
mount -t tmpfs tmpfs "$root/tmp"

git clone -q "$repo" "$root/root/tamri"
echo "== CI on the fresh system: bash .ci/run (commit $(git -C "$repo" rev-parse --short HEAD))"
ci=0
inside bash -c 'cd /root/tamri && bash .ci/run' >"$log" 2>&1 || ci=$?
tail -n 40 "$log"

started=1
if [ "$ci" -eq 0 ]; then
  echo "== ./run.sh on the same system, under Xvfb"
  started=0
  inside bash -c '
    cd /root/tamri
    export DISPLAY=:77 XDG_RUNTIME_DIR=$(mktemp -d)
    Xvfb :77 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    ./run.sh >/tmp/run.log 2>&1 &
    program=$!
    colour=
    for _ in $(seq 1200); do
      sleep 0.5
      kill -0 $program 2>/dev/null || break
      colour=$(import -display :77 -window root -crop 1x1+500+400 txt:- 2>/dev/null | grep -o "#[0-9A-F]\{6\}" | head -n1) || true
      [ "$colour" = "#FAFAAA" ] && break
    done
    echo "pixel (500, 400) of the screen: ${colour:-none}"
    [ "$colour" = "#FAFAAA" ] || { tail -n 20 /tmp/run.log; exit 1; }
    xdotool key Escape; sleep 1; xdotool key Return
    rc=0; wait $program || rc=$?
    echo "run.sh: start screen reached, Escape and Return end it with exit code $rc"
    [ "$rc" = 0 ]' 2>&1 || started=$?
fi

echo "== summary (full log: $log)"
grep -E 'tests passed|tests failed|Total Test time|end-to-end passed|end-to-end failures' "$log" || true
echo "CI exit code on the fresh system: $ci"
[ "$ci" -ne 0 ] && exit "$ci"
[ "$started" -eq 0 ] || { echo "run.sh did not reach the start screen"; exit 1; }
echo "fresh machine check passed"
