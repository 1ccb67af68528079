#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what lands where.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/tamri share/applications/tamri.desktop share/icons/hicolor/32x32/apps/tamri.png; do
  [ -f "$prefix/$file" ] || { echo "missing after install: $file"; exit 1; }
done
[ -x "$prefix/bin/tamri" ] || { echo "bin/tamri is not executable"; exit 1; }
grep -q '^Exec=tamri$' "$prefix/share/applications/tamri.desktop" || { echo "the desktop entry does not start tamri"; exit 1; }
echo "install layout ok"
