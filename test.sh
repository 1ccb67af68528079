#!/usr/bin/env bash
# Installs what is missing, builds (the Linux and the Windows program), and runs the whole test
# suite through CTest; then the unit tests once more in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
# TAMRI_SANITIZE=OFF skips the second build. TAMRI_WINDOWS=OFF leaves the Windows program out, its
# build and its checks under Wine, for a quick local run after a change that cannot touch
# Windows; CI (CI=true) always includes it.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
tamri_install_packages "${TAMRI_PACKAGES[@]}" "${TAMRI_TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen

# The Windows program first: the suite plays it under Wine. The first run on a machine builds
# Qt for Windows (about 50 minutes on 2 cores); later runs find it cached.
skip=()
if [ "${TAMRI_WINDOWS:-ON}" = OFF ] && [ "${CI:-}" != true ]; then
  echo "TAMRI_WINDOWS=OFF: without the Windows program and its checks"
  skip=(-LE windows)
else
  tamri_build_windows
fi
tamri_build -DTAMRI_BUILD_TESTS=ON -DTAMRI_BUILD_BENCH=ON
(cd build && ctest --output-on-failure -j "$(nproc)" "${skip[@]}")

if [ "${TAMRI_SANITIZE:-ON}" != OFF ]; then
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRI_SANITIZE=ON -DTAMRI_BUILD_BENCH=OFF
  cmake --build build-sanitize -j "$(nproc)" --target tamri_tests
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
  (cd build-sanitize && ctest --output-on-failure -j "$(nproc)" -L unit)
fi
