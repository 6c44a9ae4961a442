#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan into
# build-fuzz/ and runs each for SECONDS (default 30) from its seed corpus:
#   scripts/fuzz.sh [SECONDS [TARGET...]]
# New inputs go to build-fuzz/corpus/<target>/, never into the repository's seeds.
# Fails when a target finds a crash, a leak or a hang (the input is kept in build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
segundos="${1:-30}"
raiz="$PWD"
if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTORA_FUZZ=ON -DVANTORA_SANITIZE=ON -DVANTORA_TESTS=OFF >/dev/null
fi
alvos=(fuzz_layout fuzz_conversao fuzz_traducao)
[ $# -gt 1 ] && alvos=("${@:2}")
declare -A sementes=([fuzz_layout]=tests/data/fuzz-layout [fuzz_conversao]=tests/data/fuzz-conversao
    [fuzz_traducao]=tests/data/fuzz-traducao)
cmake --build build-fuzz -j"${JOBS:-2}" --target "${alvos[@]}"
for alvo in "${alvos[@]}"; do
    corpus="build-fuzz/corpus/$alvo"
    mkdir -p "$corpus"
    echo "== $alvo: ${segundos}s"
    (cd build-fuzz && "./bin/$alvo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=4096 \
        -max_len=16384 -print_final_stats=1 "corpus/$alvo" "$raiz/${sementes[$alvo]}")
done
