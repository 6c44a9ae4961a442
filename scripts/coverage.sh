#!/usr/bin/env bash
# Line and branch coverage of src/ and tools/ by the whole CTest suite, per subsystem:
#   scripts/coverage.sh            (Debug --coverage build in build-cov/, then gcovr)
# Counters are updated atomically: the program has threads of its own (the port watch,
# the serial reader), whose racing updates could leave a count negative.
# Prints one table; the figures are what the suite exercises, not a pass/fail gate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
if ! command -v gcovr >/dev/null; then
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi
if [ ! -f build-cov/build.ninja ]; then
    cmake -S . -B build-cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" \
        -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
fi
cmake --build build-cov -j"$(nproc)"
find build-cov -name '*.gcda' -delete
(cd build-cov && ctest -j"$(nproc)" --output-on-failure >/dev/null) || echo "(some tests failed: figures below are partial)" >&2
# Only the program's own sources; the moc files Qt generates are left out.
gcovr -r . --object-directory build-cov --exclude-directories 'build-cov/CMakeFiles' \
    --filter 'src/' --filter 'tools/' --exclude '.*_autogen/.*' --json build-cov/cobertura.json -s >/dev/null
/usr/bin/python3 - build-cov/cobertura.json <<'PY'
import json, sys, collections
dados = json.load(open(sys.argv[1]))
soma = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in dados["files"]:
    partes = f["file"].split("/")
    grupo = "tools" if partes[0] == "tools" else partes[1]
    for linha in f["lines"]:
        if linha.get("gcovr/noncode"): continue
        for g in (grupo, "total"):
            soma[g][0] += 1
            soma[g][1] += linha["count"] > 0
            for b in linha.get("branches", []):
                soma[g][2] += 1
                soma[g][3] += b["count"] > 0
print(f"{'subsystem':<10} {'lines':>16} {'branches':>18}")
for g in ["base", "shell", "catalogue", "editor", "capture", "files", "link", "tools", "total"]:
    if g not in soma: continue
    l, lc, b, bc = soma[g]
    print(f"{g:<10} {100*lc/l:6.1f}% {lc:5}/{l:<5} {100*bc/max(b,1):6.1f}% {bc:5}/{b:<5}")
PY
