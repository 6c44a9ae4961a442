#!/usr/bin/env bash
# The Windows build, cross-compiled with mingw-w64 against a Qt for Windows:
#   scripts/windows.sh         builds build-windows/: the programs and the tests
#                              (bin/), the folder a Windows user copies and runs
#                              (vantora-config/) and its installer
#                              (vantora-config-setup.exe)
#   scripts/windows.sh test    the same, then runs the tests under Wine
# The Qt for Windows is $VANTORA_QT_WINDOWS, else ../shared/qt6-mingw beside the
# checkout; without one it says so in one line and does nothing (exit 0).
set -euo pipefail
cd "$(dirname "$0")/.."
qt=${VANTORA_QT_WINDOWS:-$(cd .. && pwd)/shared/qt6-mingw}
if [ ! -f "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    echo "== Windows: skipped, no Qt for Windows in $qt (set VANTORA_QT_WINDOWS, or make one with build-qt6-mingw.sh of ../shared/windows/)"
    exit 0
fi
scripts/deps.sh g++-mingw-w64-x86-64-posix wine wine64 nsis
jobs="$(nproc)"

scripts/web.sh >/dev/null # the web page, which the installer installs
echo "== build-windows/ (mingw-w64, Qt in $qt, -Werror)"
[ -f build-windows/build.ninja ] || cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTORA_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" >/dev/null
cmake --build build-windows -j"$jobs"
echo "program folder: $PWD/build-windows/vantora-config"
echo "installer: $PWD/build-windows/vantora-config-setup.exe ($(du -h build-windows/vantora-config-setup.exe | cut -f1))"

if [ "${1:-}" = test ]; then
    echo "== build-windows/ tests under Wine"
    (cd build-windows && ctest --output-on-failure -j"$jobs")
fi
