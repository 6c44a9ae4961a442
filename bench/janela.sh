#!/usr/bin/env bash
# Runs the window benchmark in a private Xvfb: bench/janela.sh [RUNS] [IDLE_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target bench_janela janela_vazia vantora-config >/dev/null
tela=":$((500 + RANDOM % 200))"
Xvfb "$tela" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
for _ in $(seq 100); do xdpyinfo -display "$tela" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY="$tela" build/bin/bench_janela "$@"
