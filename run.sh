#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tamri.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
tamri_install_packages "${TAMRI_PACKAGES[@]}"
tamri_build -DTAMRI_BUILD_TESTS=OFF -DTAMRI_BUILD_BENCH=OFF
exec ./build/tamri
