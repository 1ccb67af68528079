# Shared by run.sh, test.sh and package.sh: installs the Debian packages given, if any is
# missing (apt-get update once, then apt-get install -y).

# What building and running the program need (run.sh).
TAMRI_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-qpa-plugins
  libjpeg62-turbo-dev libxcb-xfixes0-dev libxcb-screensaver0-dev
  fonts-wine qt6-translations-l10n
)

# What the tests and benchmarks add (test.sh).
TAMRI_TEST_PACKAGES=(
  libx11-dev libxtst-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix ninja-build nsis
  wine wine64
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick
  openbox tint2
  mutter xwayland qt6-wayland dbus zenity
  dpkg-dev file lintian desktop-file-utils
  poppler-utils xclip
)

tamri_install_packages() { # package...
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

tamri_build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build build -j "$(nproc)"
}

# The Windows program, cross-built with mingw-w64 into build-windows/ against Qt and libjpeg for
# Windows (built once from Debian's sources and cached, see packaging/windows/build_deps.sh), and
# packed into build-windows/packages/: tamri-<version>-windows-x64.zip and -setup-x64.exe.
tamri_build_windows() {
  local deps
  deps=$(packaging/windows/build_deps.sh)
  # A configuration made against another Qt keeps that Qt's paths in its cache.
  if [ -f build-windows/CMakeCache.txt ] \
    && [ "$(sed -n 's/^TAMRI_WINDOWS_DEPS:[A-Z]*=//p' build-windows/CMakeCache.txt)" != "$deps" ]; then
    echo "Qt for Windows has changed: configuring build-windows anew"
    rm -rf build-windows
  fi
  cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/packaging/windows/mingw-w64-x86_64.cmake" -DTAMRI_WINDOWS_DEPS="$deps" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_BENCH=OFF
  # A failed build must not leave the last program to be packed again as if it were new.
  cmake --build build-windows -j "$(nproc)" || return 1
  rm -rf build-windows/packages
  (cd build-windows && cpack -G "ZIP;NSIS" -B "$PWD/packages")
}
