#!/usr/bin/env bash
# Builds the Debian package tamri_<version>_amd64.deb into this folder, from a release build
# of its own in build-package/ (installs what is missing first: what run.sh installs, and
# dpkg-dev and file for the packaging).
# Then: sudo apt install ./tamri_*.deb
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
tamri_install_packages "${TAMRI_PACKAGES[@]}" dpkg-dev file
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_BENCH=OFF
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB -B "$PWD/deb")
rm -f tamri_*_amd64.deb
cp build-package/deb/tamri_*_amd64.deb .
ls -l tamri_*_amd64.deb
