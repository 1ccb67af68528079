#!/usr/bin/env bash
# Builds the Debian package tamri_<version>_amd64.deb into this folder, from a release build
# of its own in build-package/ (installs what is missing first, as run.sh does).
# Then: sudo apt install ./tamri_*.deb
# `./package.sh windows` instead builds the Windows program (build-windows/) and puts
# tamri-<version>-windows-x64.zip and tamri-<version>-setup-x64.exe into this folder; the first
# run builds Qt for Windows (about an hour), later runs take minutes.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
tamri_install_packages
if [ "${1:-}" = windows ]; then
  tamri_build_windows
  rm -f tamri-*-windows-x64.zip tamri-*-setup-x64.exe
  cp build-windows/packages/tamri-*-windows-x64.zip build-windows/packages/tamri-*-setup-x64.exe .
  ls -l tamri-*-windows-x64.zip tamri-*-setup-x64.exe
  exit 0
fi
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_BENCH=OFF
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB -B "$PWD/deb")
rm -f tamri_*_amd64.deb
cp build-package/deb/tamri_*_amd64.deb .
ls -l tamri_*_amd64.deb
