#!/usr/bin/env bash
# Compiles and links the Windows desktop layer with the mingw-w64 cross compiler, so the
# Win32 path cannot rot unseen on a Linux build.
set -euo pipefail
source_dir=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
compiler=x86_64-w64-mingw32-g++-posix
command -v "$compiler" >/dev/null || { echo "missing $compiler"; exit 1; }
"$compiler" -std=c++20 -Wall -Wextra -Wpedantic -Werror -O1 -I"$source_dir" \
  "$source_dir/platform/Os.cpp" "$source_dir/platform/DesktopGuard.cpp" "$source_dir/platform/Win32Os.cpp" \
  "$source_dir/tests/win32_smoke_main.cpp" \
  -static -luser32 -o "$out/win32_smoke.exe"
file_type=$(head -c 2 "$out/win32_smoke.exe")
[ "$file_type" = "MZ" ] || { echo "not a Windows executable"; exit 1; }
echo "Windows desktop layer builds: $out/win32_smoke.exe"
