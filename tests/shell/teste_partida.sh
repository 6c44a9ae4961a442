#!/usr/bin/env bash
# Starts the real program: without any display it says so in one line; on the
# offscreen platform and in a private Xvfb (tests/comum/xvfb.sh) it shows its window
# and quits by itself (VANTORA_SAIR_AO_MOSTRAR), so that its exit is a normal one.
set -u
programa=$1
falhas=0
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
falha() { echo "FAIL: $1"; falhas=$((falhas + 1)); }

saida=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$programa" 2>&1)
rc=$?
[ $rc -eq 2 ] && [ "$(printf '%s\n' "$saida" | wc -l)" -eq 1 ] && grep -q 'nenhuma tela' <<<"$saida" ||
    falha "without a display: rc=$rc output=$saida"
export VANTORA_SAIR_AO_MOSTRAR=1
QT_QPA_PLATFORM=offscreen timeout 60 "$programa" || falha "offscreen"
timeout 60 bash "$(dirname "$0")/../comum/xvfb.sh" "$programa"
rc=$?
[ $rc -eq 77 ] && echo "no X server here: that part was skipped"
[ $rc -eq 0 ] || [ $rc -eq 77 ] || falha "under Xvfb (exit $rc)"
[ $falhas -eq 0 ] && echo "start-up: ok"
exit $falhas
