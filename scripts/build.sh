#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root) and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
