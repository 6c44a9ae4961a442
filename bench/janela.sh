#!/usr/bin/env bash
# Runs the window benchmark in a private Xvfb (tests/comum/xvfb.sh): bench/janela.sh [RUNS] [IDLE_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target bench_janela janela_vazia vantora-config >/dev/null
bash tests/comum/xvfb.sh build/bin/bench_janela "$@"
