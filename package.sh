#!/usr/bin/env bash
# Builds the Debian package tamri_<version>_amd64.deb into this folder, from a release build
# of its own in build-package/ (installs what is missing first: what run.sh installs, and
# dpkg-dev and file for the packaging).
# Then: sudo apt install ./tamri_*.deb
# `./package.sh windows` instead builds the Windows program (build-windows/) and puts
# tamri-<version>-windows-x64.zip and tamri-<version>-setup-x64.exe into this folder; the first
# run builds Qt for Windows (about an hour), later runs take minutes.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
if [ "${1:-}" = windows ]; then
  # The cross compiler, ninja for Qt's build, NSIS for the installer, dpkg-dev for apt-get source.
  tamri_install_packages "${TAMRI_PACKAGES[@]}" g++-mingw-w64-x86-64-posix ninja-build nsis dpkg-dev
  tamri_build_windows
  rm -f tamri-*-windows-x64.zip tamri-*-setup-x64.exe
  cp build-windows/packages/tamri-*-windows-x64.zip build-windows/packages/tamri-*-setup-x64.exe .
  ls -l tamri-*-windows-x64.zip tamri-*-setup-x64.exe
  exit 0
fi
tamri_install_packages "${TAMRI_PACKAGES[@]}" dpkg-dev file
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_BENCH=OFF
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB -B "$PWD/deb")
rm -f tamri_*_amd64.deb
cp build-package/deb/tamri_*_amd64.deb .
ls -l tamri_*_amd64.deb
