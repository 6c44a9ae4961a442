#!/usr/bin/env bash
# Saves a PNG of the real window, started under Xvfb: scripts/screenshot.sh [OUT.png]
# Builds first when needed. Needs xvfb, x11-apps-free tools: uses ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
saida="${1:-docs/janela.png}"
[ -x build/bin/vantora-config ] || scripts/build.sh >/dev/null
numero=$(mktemp)
# Xvfb picks a free display itself and writes its number on descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numero" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; [ -n "${app:-}" ] && kill $app 2>/dev/null || true; rm -f "$numero"' EXIT
tela=""
for _ in $(seq 50); do
    [ -s "$numero" ] && tela=":$(head -n1 "$numero")" && xdpyinfo -display "$tela" >/dev/null 2>&1 && break
    tela=""
    sleep 0.1
done
[ -n "$tela" ] || { echo "o Xvfb não iniciou" >&2; exit 1; }
export XDG_CONFIG_HOME="$(mktemp -d)"
DISPLAY="$tela" build/bin/vantora-config &
app=$!
id=""
for _ in $(seq 100); do
    id=$(DISPLAY="$tela" xdotool search --name '^Corvalo USB/Serial$' 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && break
    sleep 0.1
done
[ -n "$id" ] || { echo "a janela não apareceu" >&2; exit 1; }
sleep "${ESPERA:-1}"
mkdir -p "$(dirname "$saida")"
DISPLAY="$tela" import -window "$id" -frame "$saida"
echo "$saida"
