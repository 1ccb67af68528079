#!/usr/bin/env bash
# Builds Qt (qtbase: Core, Gui, Widgets, PrintSupport, the Windows platform plugin) and a static
# libjpeg-turbo for 64-bit Windows with mingw-w64, from the Debian sources of the very versions
# this machine has installed (Debian's own Qt is the host Qt of the cross build: moc, rcc, uic).
# The result is cached under ${XDG_CACHE_HOME:-$HOME/.cache}/tamri/, keyed by the versions and by
# a digest of what goes into the build: the configure options below and the toolchain file (its
# comments left out). Debian's patches come with the source version. So only the first run builds
# (about an hour on 2 cores), an option changed builds anew, and an edit to this script's messages
# or clean-up keeps the cache. A build that
# fails or is stopped keeps its work folder (<key>.partial) and the next run resumes there; once
# a build is complete, the cache folders of other keys are removed.
# Usage: build_deps.sh            builds what is missing; prints the folder (alone on stdout)
#        build_deps.sh --folder   prints the folder only, builds nothing
# Progress and errors go to stderr.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
toolchain=$here/mingw-w64-x86_64.cmake

version() { dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null || true; }
qt_version=$(version qt6-base-dev)
jpeg_version=$(version libjpeg62-turbo-dev)
gcc_version=$(version g++-mingw-w64-x86-64-posix)
for pair in "qt6-base-dev:$qt_version" "libjpeg62-turbo-dev:$jpeg_version" "g++-mingw-w64-x86-64-posix:$gcc_version"; do
  [ -n "${pair#*:}" ] || { echo "FAIL: the package ${pair%%:*} is not installed" >&2; exit 1; }
done
# Everything that shapes the built libraries; the install prefix and the toolchain's path are
# added where they are used.
jpeg_options=(-DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF)
qt_options=(-xplatform win32-g++ -qt-host-path /usr -release -shared -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-fontconfig -no-libjpeg -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -qt-freetype
  -no-feature-sql -no-feature-network -no-feature-xml -no-feature-testlib -no-feature-concurrent
  -no-feature-vulkan -no-feature-tabletevent)
recipe=$({ printf '%s\n' "${jpeg_options[@]}" -- "${qt_options[@]}"; grep -v -E '^[[:space:]]*(#|$)' "$toolchain"; } \
  | sha256sum | cut -c1-12)
key="windows-qtbase-$qt_version-libjpeg-turbo-$jpeg_version-mingw-$gcc_version-$recipe"
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tamri
folder=$cache/${key//[:~]/_}
if [ "${1:-}" = --folder ]; then echo "$folder"; exit 0; fi
exec 3>&1 1>&2
# One build at a time: a second run waits for the first and then finds its result.
mkdir -p "$cache"
exec 9>"$folder.lock"
if ! flock -n 9; then
  echo "Qt for Windows is being built by another run; waiting for it to finish"
  flock 9
fi
if [ -f "$folder/complete" ]; then
  echo "Qt and libjpeg-turbo for Windows: cached in $folder"
  echo "$folder" >&3
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix ninja cmake dpkg-source patch; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done
began=$SECONDS
work=$folder.partial
mkdir -p "$work"
if [ -f "$work/sources-ready" ]; then
  echo "Resuming the build of Qt $qt_version and libjpeg-turbo $jpeg_version for Windows in $work"
else
  echo "Building Qt $qt_version and libjpeg-turbo $jpeg_version for Windows into $folder (once; about an hour on 2 cores)"
  rm -rf "$folder" "$work"
  mkdir -p "$work/src"

  # A private apt configuration whose only sources are deb-src twins of the machine's own.
  mkdir -p "$work/apt/sources.list.d" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$work/apt/sources.list"
  fi
  for file in /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file" >>"$work/apt/sources.list"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && sed 's/^Types:.*/Types: deb-src/' "$file" >"$work/apt/sources.list.d/$(basename "$file")"
  done
  touch "$work/apt/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o "Dir::Etc::SourceParts=$work/apt/sources.list.d"
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o Debug::NoLocking=1)
  [ "$(id -u)" -eq 0 ] && apt_options+=(-o APT::Sandbox::User=root)
  echo "== fetching the sources (apt-get source, private apt configuration)"
  apt-get "${apt_options[@]}" update -q >"$work/apt-update.log" 2>&1 || cat "$work/apt-update.log"

  # apt-get source needs the .dsc, and the archive has been seen to answer 404 for one whose
  # tarballs it serves. Then the files it can get are fetched one by one, checked against the
  # archive's hashes, and the Debian tarball's patches applied as dpkg-source would.
  fetch_source() { # source-package=version
    (cd "$work/src" && apt-get "${apt_options[@]}" source -q --only-source "$1") >>"$work/apt-source.log" 2>&1 && return 0
    echo "apt-get source $1 failed; fetching its tarballs one by one"
    local uri name size hash
    while read -r uri name size hash; do
      /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$work/src/$name" "$hash" >>"$work/apt-source.log" 2>&1 \
        || echo "  $name: not to be had"
    done < <(cd "$work/src" && apt-get "${apt_options[@]}" source -q --print-uris --only-source "$1" | grep "^'")
    local package=${1%%=*} upstream=${1#*=}
    upstream=${upstream#*:}
    upstream=${upstream%-*}
    local orig debian
    orig=$(ls "$work/src/${package}_$upstream.orig.tar."* 2>/dev/null | head -n1)
    debian=$(ls "$work/src/${package}_"*.debian.tar.* 2>/dev/null | head -n1)
    [ -f "$orig" ] && [ -f "$debian" ] || { cat "$work/apt-source.log"; echo "FAIL: no sources for $1" >&2; return 1; }
    local tree=$work/src/$package-$upstream
    mkdir -p "$tree"
    tar -xf "$orig" -C "$tree" --strip-components=1 && tar -xf "$debian" -C "$tree" || return 1
    if [ -f "$tree/debian/patches/series" ]; then
      local patch_name
      while read -r patch_name _; do
        [ -n "$patch_name" ] && [ "${patch_name:0:1}" != "#" ] || continue
        patch -d "$tree" -p1 -s --no-backup-if-mismatch <"$tree/debian/patches/$patch_name" || return 1
      done <"$tree/debian/patches/series"
    fi
  }
  fetch_source "qt6-base=$qt_version" && fetch_source "libjpeg-turbo=$jpeg_version" \
    || { cat "$work/apt-source.log"; echo "FAIL: the sources could not be fetched" >&2; exit 1; }
  rm -rf "$work/apt"
  touch "$work/sources-ready"
fi
qt_source=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*')
jpeg_source=$(find "$work/src" -maxdepth 1 -type d -name 'libjpeg-turbo-*')

# Ninja prints one line per step ([done/total] ...) when its output is not a terminal.
progress() {
  local line step
  while IFS= read -r line; do
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
    step=${BASH_REMATCH[1]}
    ((step % 50 == 0 || step == BASH_REMATCH[2])) && echo "  step $step/${BASH_REMATCH[2]} after $((SECONDS - began)) s"
  done
  return 0
}

if [ ! -f "$work/jpeg-done" ]; then
  echo "== libjpeg-turbo $jpeg_version (static)"
  cmake -S "$jpeg_source" -B "$work/jpeg-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$folder/jpeg" "${jpeg_options[@]}" >"$work/jpeg.log" 2>&1 \
    && cmake --build "$work/jpeg-build" -j "$(nproc)" >>"$work/jpeg.log" 2>&1 \
    && cmake --install "$work/jpeg-build" >>"$work/jpeg.log" 2>&1 \
    || { tail -40 "$work/jpeg.log"; echo "FAIL: libjpeg-turbo did not build" >&2; exit 1; }
  touch "$work/jpeg-done"
  echo "libjpeg-turbo done after $((SECONDS - began)) s"
fi

echo "== qtbase $qt_version"
if [ ! -f "$work/qt-configured" ]; then
  rm -rf "$work/qt-build"
  mkdir "$work/qt-build"
  (cd "$work/qt-build" && "$qt_source/configure" -prefix "$folder/qt" "${qt_options[@]}" \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) \
    >"$work/qt-configure.log" 2>&1 || { tail -60 "$work/qt-configure.log"; echo "FAIL: qtbase did not configure" >&2; exit 1; }
  touch "$work/qt-configured"
  echo "configured after $((SECONDS - began)) s; building:"
fi
set +e
cmake --build "$work/qt-build" -j "$(nproc)" 2>&1 | tee "$work/qt-build.log" | progress
status=${PIPESTATUS[0]}
set -e
[ "$status" -eq 0 ] || {
  grep -B2 -A20 -m3 -E 'error|FAILED' "$work/qt-build.log" | head -80
  echo "FAIL: qtbase did not build; the next run resumes in $work" >&2
  exit 1
}
cmake --install "$work/qt-build" >"$work/qt-install.log" 2>&1 || { tail -30 "$work/qt-install.log"; exit 1; }
echo "$key built in $((SECONDS - began)) s" >"$folder/complete"
rm -rf "$work"
echo "Qt and libjpeg-turbo for Windows built in $((SECONDS - began)) s"

# Other keys' folders are left-overs of older recipes or versions; one that another run holds
# is left alone.
for other in "$cache"/windows-*.lock; do
  base=${other%.lock}
  [ "$base" = "$folder" ] && continue
  exec 8>"$other"
  if flock -n 8; then
    echo "removing the old cache folder $base"
    rm -rf "$base" "$base.partial" "$other"
  fi
  exec 8>&-
done
echo "$folder" >&3
