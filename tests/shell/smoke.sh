#!/usr/bin/env bash
# Starts the real program: once without any display (it must say so in one line),
# once on the offscreen platform and once in a real X server (Xvfb), each time
# showing the window and quitting.
set -u
programa="$1"
falhas=0
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

saida=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$programa" 2>&1)
rc=$?
if [ $rc -ne 2 ] || [ "$(printf '%s\n' "$saida" | wc -l)" -ne 1 ] || ! grep -q 'nenhuma tela' <<<"$saida"; then
    echo "FALHOU sem tela: rc=$rc saída=$saida"; falhas=$((falhas + 1))
fi

if ! QT_QPA_PLATFORM=offscreen VANTORA_SAIR_AO_MOSTRAR=1 timeout 60 "$programa"; then
    echo "FALHOU offscreen"; falhas=$((falhas + 1))
fi

if command -v Xvfb >/dev/null; then
    tela=":$((200 + RANDOM % 300))"
    Xvfb "$tela" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do xdpyinfo -display "$tela" >/dev/null 2>&1 && break; sleep 0.1; done
    if ! DISPLAY="$tela" VANTORA_SAIR_AO_MOSTRAR=1 timeout 60 "$programa"; then
        echo "FALHOU no Xvfb"; falhas=$((falhas + 1))
    fi
    kill $xvfb 2>/dev/null
else
    echo "Xvfb ausente: parte com servidor X não executada"
fi
[ $falhas -eq 0 ] && echo "smoke: ok"
exit $falhas
