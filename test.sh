#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
tamri_install_packages
tamri_build -DTAMRI_BUILD_TESTS=ON -DTAMRI_BUILD_BENCH=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
