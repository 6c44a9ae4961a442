#!/usr/bin/env bash
# Installs what is missing (Debian 12, as root), builds, and starts the window.
# Without a display it runs a demo instead: an emulated keyboard (vantora-sim) on a
# pseudo-terminal is programmed with examples/mercado.key by vantora-prog, and what
# the keyboard received is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/vantora-config "$@"
fi

echo "Sem tela (DISPLAY vazio): em vez da janela, uma demonstração com um teclado emulado."
echo "Para ver a janela: scripts/screenshot.sh grava docs/janela.png, ou rode 'xvfb-run build/bin/vantora-config'."
echo
saida=$(mktemp)
recebido=$(mktemp --suffix=.key)
trap 'kill "$sim" 2>/dev/null || true; rm -f "$saida" "$recebido"' EXIT
build/bin/vantora-sim --sai-no-fim --saida "$recebido" >"$saida" 2>&1 &
sim=$!
porta=""
for _ in $(seq 50); do
    porta=$(sed -n 's/^PORTA //p' "$saida")
    [ -n "$porta" ] && break
    sleep 0.1
done
[ -n "$porta" ] || { echo "o teclado emulado não iniciou" >&2; exit 1; }
echo "Teclado emulado em $porta."
echo "\$ vantora-prog send examples/mercado.key --port $porta"
build/bin/vantora-prog send examples/mercado.key --port "$porta"
wait "$sim" || true
echo
echo "O que o teclado emulado recebeu (vantora-prog show do layout que ele gravou):"
build/bin/vantora-prog show "$recebido" | sed 's/^/    /'
echo "Mais: build/bin/vantora-prog --help, docs/serial.md."
