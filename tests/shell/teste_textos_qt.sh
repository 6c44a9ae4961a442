#!/usr/bin/env bash
# Qt's own texts in the real program: starts it in a real X server (Xvfb) under several
# system languages, opens the Save dialog with the menu command "Salvar" and reads the
# dialog's buttons from outside, through the accessibility bus (AT-SPI, a D-Bus
# session of its own for each run). Portuguese on a Portuguese system and on one whose
# language Qt has no translation for; the system's language where Qt has one.
# Usage: teste_textos_qt.sh PROGRAM. Exit 77 (skipped) when a tool is missing.
set -uo pipefail
programa=${1:?usage: teste_textos_qt.sh PROGRAM}
aqui=$(cd "$(dirname "$0")" && pwd)
for f in Xvfb dbus-launch xdpyinfo; do
    command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

dir=$(mktemp -d)
xvfb=""
encerra() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$dir"
}
trap encerra EXIT

# Xvfb picks a free display itself and writes its number on descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/tela" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
tela=""
for _ in $(seq 100); do
    [ -s "$dir/tela" ] && tela=":$(head -n1 "$dir/tela")" && xdpyinfo -display "$tela" >/dev/null 2>&1 && break
    tela=""
    sleep 0.1
done
[ -n "$tela" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }

falhas=0
# confere LANG EXPECTED...: the Save dialog's buttons include each expected name.
confere() {
    local lang=$1
    shift
    local botoes
    botoes=$(
        eval "$(dbus-launch --sh-syntax)"
        env -u LC_ALL -u LC_MESSAGES -u LANGUAGE -u QT_QPA_PLATFORM LANG="$lang" DISPLAY="$tela" \
            QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME="$dir" XDG_RUNTIME_DIR="$dir" \
            HOME="$dir" "$programa" >"$dir/programa.log" 2>&1 &
        app=$!
        timeout 60 /usr/bin/python3 "$aqui/botoes_do_salvar.py" 2>"$dir/leitura.log"
        kill "$app" 2>/dev/null
        wait "$app" 2>/dev/null
        kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
    )
    for esperado in "$@"; do
        if ! grep -qx -- "$esperado" <<<"$botoes"; then
            echo "FALHOU LANG=$lang: sem o botão \"$esperado\"; botões lidos: ${botoes//$'\n'/ | }"
            cat "$dir/leitura.log"
            falhas=$((falhas + 1))
        fi
    done
}

confere pt_BR.UTF-8 Salvar Cancelar "Exibição detalhada"
confere sv_SE.UTF-8 Salvar Cancelar # Qt has no Swedish: Portuguese
confere de_DE.UTF-8 Speichern Abbrechen
[ $falhas -eq 0 ] && echo "textos_qt: ok"
exit $falhas
