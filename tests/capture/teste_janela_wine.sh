#!/usr/bin/env bash
# The real Windows program under Wine, on a private X server with the ABNT2 keymap
# (tests/comum/xvfb.sh): real keystrokes sent by X keycode reach the window as Windows
# key messages (scan code, extended flag, virtual key from Wine's keyboard), and the
# lock lamps follow Caps Lock and Num Lock through the system's key state, read from
# the screen's own pixels. The codes each key assigns are read from the program's
# test-only report (VANTORA_RELATORIO). The last port opened is the per-user setting
# in the registry: written there, and shown in the port box at the next start.
#
# Wine 8 does not find every ABNT2 key in its own tables: Ç, the ABNT "/" key and
# Alt Gr come with made-up scan codes (60h, 56h and 64h here) and their virtual keys;
# the key translation places them by those virtual keys, and the codes they assign
# below are those of the real keys.
#
# Usage: teste_janela_wine.sh PROGRAM_FOLDER (vantora-config.exe with its DLLs).
# Exit 77 (skipped) when Wine or the X tools are missing.
set -euo pipefail
pasta=${1:?usage: teste_janela_wine.sh PROGRAM_FOLDER}
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
dir=$(mktemp -d)
rel="$dir/relatorio.txt"
XVFB_PID=""
export LC_ALL=C.UTF-8 WINEPREFIX="$dir/prefixo" WINEDEBUG=${WINEDEBUG:--all}
encerra() {
    wineserver -k 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -n "${MANTEM:-}" ] || rm -rf "$dir"
}
trap encerra EXIT
. "$(dirname "$0")/../comum/xvfb.sh"
inicia_xvfb "$dir"
wine wineboot -i >"$dir/wineboot.log" 2>&1

set +e
falhas=0
falha() {
    echo "FAIL: $1"
    grep -v '^Tab1 \([2-9][0-9]\|1[2-9]\) ' "$rel" 2>/dev/null # the report, but for the untouched keys
    falhas=$((falhas + 1))
}
# espera LINE [seconds]: waits until the report holds LINE exactly.
espera() {
    local fim=$((SECONDS + ${2:-5}))
    until grep -qxF -- "$1" "$rel" 2>/dev/null; do
        [ $SECONDS -lt "$fim" ] || { falha "expected \"$1\""; return 1; }
        sleep 0.05
    done
}
# inicia: starts the program and gives its window the keyboard.
janela=""
inicia() {
    rm -f "$rel"
    (cd "$dir" && VANTORA_RELATORIO="Z:$rel" wine "$pasta/vantora-config.exe" >>"$dir/programa.log" 2>&1 &)
    janela=$(timeout 60 xdotool search --sync --name '^Corvalo USB/Serial$' | head -n1)
    [ -n "$janela" ] || { echo "FAIL: no window \"Corvalo USB/Serial\""; cat "$dir/programa.log"; exit 1; }
    espera "Leds=000" 30 || { cat "$dir/programa.log"; exit 1; }
    xdotool mousemove --window "$janela" 400 300 windowfocus --sync "$janela"
    sleep 0.5
}
# digita KEYCODE LINE...: types the key with that X keycode, held down for 50 ms as
# by a hand, and waits for each LINE.
digita() {
    xdotool keydown "$1" sleep 0.05 keyup "$1"
    shift
    for linha in "$@"; do espera "$linha"; done
}

# Num Lock goes on while no window of the program has the keyboard: Wine brings its
# own Num Lock into line at the window's first key, and that is no keystroke.
xdotool key 77
inicia
digita 38 "Tab1 0 65 A" "Tecla_PC_Atual=61" "Leds=100"
digita 67 "Tab1 1 1 SOH" "Tecla_PC_Atual=2"
digita 36 "Tab1 2 13 CR" "Tecla_PC_Atual=52"
digita 79 "Tab1 3 55 7" "Tecla_PC_Atual=56"   # numeric pad 7, Num Lock on
digita 77 "Tab1 4 23 ETB" "Leds=000"          # Num Lock off
digita 79 "Tab1 5 55 7" "Tecla_PC_Atual=56"   # numeric pad 7, Num Lock off
digita 104 "Tab1 6 10 LF" "Tecla_PC_Atual=96" # pad Enter
digita 47 "Tab1 7 199 Ç" "Tecla_PC_Atual=70"
digita 97 "Tab1 8 63 ?" "Tecla_PC_Atual=90"   # the ABNT "/" key (scan code 73h)
digita 94 "Tab1 9 92 \\"                       # backslash, left of Z
digita 108 "Tab1 10 62 >" "Tecla_PC_Atual=100" # Alt Gr: one assignment
digita 66 "Tab1 11 123 {" "Leds=010"          # Caps Lock
espera "Tecla_Atual=12"

[ "$falhas" -eq 0 ] || { echo "$falhas check(s) failed"; exit 1; }
echo "the window under Wine: all checks passed"
