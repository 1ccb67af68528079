#!/usr/bin/env bash
# Packs the build as a Debian package and checks it as a user's package manager and
# Debian's own checkers would see it: the fields, exactly the files it installs, the
# desktop entry, and lintian without errors.
# Usage: package_check.sh path/to/build
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/screen_common.sh"

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; echo "FAIL: cpack -G DEB"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$scratch/out/tamri_${version}_amd64.deb
[ -f "$deb" ] || { ls "$scratch/out"; echo "FAIL: no tamri_${version}_amd64.deb"; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tamri ] || fail "Package is '$(field Package)'"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
# From the libraries the program links (dpkg-shlibdeps), and what it loads at run time. Debian 13
# renamed some libraries for the 64-bit time (libqt6core6t64): either name will do.
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libxcb-xfixes0 libxcb-screensaver0 libqt6dbus6 \
  qt6-qpa-plugins fonts-wine qt6-translations-l10n; do
  found=
  for name in "$package" "${package}t64"; do
    [[ ", $depends," == *", $name "* || ", $depends," == *", $name,"* ]] && found=1
  done
  [ -n "$found" ] || fail "Depends lacks $package: $depends"
done
[[ $depends != *charts* ]] || fail "Depends still names Qt Charts: $depends"

expected=$(printf '%s\n' ./usr/bin/tamri ./usr/bin/tamri-check ./usr/share/applications/tamri.desktop \
  ./usr/share/applications/tamri-check.desktop \
  ./usr/share/doc/tamri/changelog.gz ./usr/share/doc/tamri/copyright ./usr/share/man/man1/tamri.1.gz \
  ./usr/share/man/man1/tamri-check.1.gz \
  ./usr/share/icons/hicolor/32x32/apps/tamri.png | sort)
files=$(dpkg-deb --contents "$deb" | grep -v '^d' | awk '{ print $6 }' | sort)
[ "$files" = "$expected" ] || fail "the package holds other files than expected:$(diff <(echo "$expected") <(echo "$files") | sed 's/^/  /')"
dpkg-deb --contents "$deb" | awk '$2 != "root/root" { print "FAIL: not owned by root: " $0; bad = 1 } END { exit bad }' ||
  failures=$((failures + 1))

dpkg-deb -x "$deb" "$scratch/root"
for program in tamri tamri-check; do
  [ -x "$scratch/root/usr/bin/$program" ] || fail "/usr/bin/$program is not executable"
  grep -qx "Exec=$program" "$scratch/root/usr/share/applications/$program.desktop" ||
    fail "the desktop entry $program.desktop does not start $program"
  desktop-file-validate "$scratch/root/usr/share/applications/$program.desktop" || fail "desktop-file-validate $program"
done
grep -qx 'Name=Tamri Systemprüfung' "$scratch/root/usr/share/applications/tamri-check.desktop" ||
  fail "the system check's menu entry is not \"Tamri Systemprüfung\""
zcat "$scratch/root/usr/share/doc/tamri/changelog.gz" | head -n1 | grep -q "^tamri ($version)" ||
  fail "the changelog's first entry is not version $version"

# lintian refuses nothing for being run as root, but says so on every line of stderr. It exits
# with 1 when it reports errors, with another code when it could not check at all.
lintian_status=0
lintian --no-tag-display-limit "$deb" >"$scratch/lintian.log" 2>"$scratch/lintian.err" || lintian_status=$?
cat "$scratch/lintian.log"
case $lintian_status in
  0) ;;
  1) fail "lintian reports errors" ;;
  *) grep -v 'running with root privileges' "$scratch/lintian.err"
     fail "lintian did not run (exit code $lintian_status)" ;;
esac

[ "$failures" -eq 0 ] && echo "package check passed: $(basename "$deb")" || { echo "$failures package check failures"; exit 1; }
