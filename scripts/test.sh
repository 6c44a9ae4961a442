#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds, and runs every test:
# the web page is built first (scripts/web.sh: the install tests check that it goes in),
# then the normal build, then an AddressSanitizer + UndefinedBehaviorSanitizer build
# of the tests, then the fuzz targets' replay (scripts/fuzz.sh --replay: the regression
# inputs one by one, then the seeds and those inputs mutated for a fixed number of runs
# with a fixed seed, so the same commit gets the same verdict), then the Qt-free core's
# plain tests under Node and the web page's tests in headless Chromium (scripts/web.sh
# test), then the Windows
# build and its tests under Wine (scripts/windows.sh; skipped, saying so, without a Qt for
# Windows). Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs="$(nproc)"
# The web page first: the install tests of build/ and build-windows/ check it goes in.
scripts/web.sh

echo "== build/ (RelWithDebInfo, -Werror)"
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== build-asan/ (AddressSanitizer + UndefinedBehaviorSanitizer, -Werror)"
[ -f build-asan/build.ninja ] || cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTORA_WERROR=ON \
    -DVANTORA_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
# The suppressions path is quoted for the sanitizer: the checkout may lie under a folder with spaces.
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions='$PWD/../tests/lsan.supp'" ctest --output-on-failure -j"$jobs")

if [ -x scripts/fuzz.sh ]; then
    echo "== fuzz (replay)"
    scripts/fuzz.sh --replay
fi
scripts/web.sh test
scripts/windows.sh test
echo "== all tests passed"
