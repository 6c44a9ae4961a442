#!/usr/bin/env bash
# The Qt-free core built with Emscripten (Debian's emscripten) into build-web/:
#   scripts/web.sh         builds the core's libraries and their plain C++ tests, each
#                          test one .js with the WebAssembly inside (SINGLE_FILE)
#   scripts/web.sh test    the same, then runs those tests under Node (CTest), then the
#                          page's tests in headless Chromium (tests/web)
# The sources are the main CMakeLists.txt's, built with VANTORA_SO_NUCLEO (no Qt).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh emscripten node-acorn
jobs="$(nproc)"
# em++'s JavaScript optimizer needs acorn; a Node other than Debian's own does not look
# in Debian's module folder unless told.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

if [ "${1:-}" = test ]; then echo "== build-web/ (Emscripten, Node)"; else echo "== build-web/ (Emscripten)"; fi
# The tests run under plain node: emcmake's default adds a threads flag Node 20 refuses.
if [ ! -f build-web/build.ninja ]; then
    saida=$(emcmake cmake -S . -B build-web -G Ninja -DVANTORA_SO_NUCLEO=ON -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DVANTORA_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" 2>&1) ||
        { echo "$saida" >&2; exit 1; }
fi
cmake --build build-web -j"$jobs"

if [ "${1:-}" = test ]; then
    (cd build-web && ctest --output-on-failure -j"$jobs")
    # The page in headless Chromium, programming the native emulator of build/.
    echo "== build-web/pagina (Chromium)"
    if [ ! -x build/bin/vantora-sim ]; then
        [ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORA_WERROR=ON >/dev/null
        cmake --build build -j"$jobs" --target vantora-sim
    fi
    # Its driver and the bridge's WebSocket server, from npm, in the build tree.
    if ! cmp -s tests/web/package-lock.json build-web/npm/package-lock.json || [ ! -d build-web/npm/node_modules ]; then
        mkdir -p build-web/npm
        cp tests/web/package.json tests/web/package-lock.json build-web/npm/
        (cd build-web/npm && npm ci --no-audit --no-fund --loglevel=error)
    fi
    node tests/web/teste_pagina.mjs
fi
