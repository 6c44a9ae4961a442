#!/usr/bin/env bash
# Real keystrokes on the real program: starts its own Xvfb with the Brazilian ABNT2
# layout (tests/comum/xvfb.sh), starts the program and types on it with xdotool.
# The results are read from the program's test-only report (VANTORA_RELATORIO=path: selection, table 1 with
# captions, Txt_dado, lamps and the open message box, rewritten on every change).
# Usage: teclas_reais.sh PROGRAM. Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
programa=${1:?usage: teclas_reais.sh PROGRAM}
source "$(dirname "$0")/../comum/xvfb.sh"
dir=$(mktemp -d)
XVFB_PID=""
app=""
encerra() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$dir"
}
trap encerra EXIT
inicia_xvfb "$dir"

rel="$dir/relatorio.txt"
XDG_CONFIG_HOME="$dir" XDG_RUNTIME_DIR="$dir" VANTORA_RELATORIO="$rel" "$programa" >"$dir/programa.log" 2>&1 &
app=$!
janela=""
for _ in $(seq 150); do
    janela=$(xdotool search --name '^Corvalo USB/Serial$' 2>/dev/null | head -n1 || true)
    [ -n "$janela" ] && break
    sleep 0.1
done
[ -n "$janela" ] || { echo "the window did not appear"; cat "$dir/programa.log"; exit 1; }
xdotool windowfocus --sync "$janela"

set +e # every check runs; the failures are counted
source "$(dirname "$0")/relatorio.sh"
tecla() { xdotool key "$1"; }
espera "Leds=000" 10
espera "Tecla_Atual=0"
xdotool key 38   # A
espera "Tab1 0 65 A"
xdotool key 67   # F1
espera "Tab1 1 1 SOH"
xdotool key 36   # Enter
espera "Tab1 2 13 CR"
xdotool key 79   # numeric pad 7, Num Lock off (KP_Home)
espera "Tab1 3 55 7"
confere "Tecla_PC_Atual=56"
lampada 77 100  # Num Lock on: assigns ETB as well
espera "Tab1 4 23 ETB"
xdotool key 79   # numeric pad 7, Num Lock on (KP_7)
espera "Tab1 5 55 7"
confere "Tecla_PC_Atual=56"
xdotool key 108  # Alt Gr: one assignment, its Ctrl half is ignored
espera "Tab1 6 62 >"
espera "Tecla_Atual=7"
confere "Tecla_PC_Atual=100"
xdotool key 97   # the ABNT "/" key (scan code 73h)
espera "Tab1 7 63 ?"
confere "Tecla_PC_Atual=90"
xdotool key 134  # Right Windows: not in the catalogue
espera "Txt_dado=15C000192"
confere "Tecla_Atual=8"
xdotool key 133  # Left Windows: the hidden key without a code
espera "Caixa=Error 13 (Tipos incompatíveis) in procedure Lbl_TeclaLB_Click of Formulário Frm_Grava"
xdotool key 36   # Enter answers the box and assigns nothing
espera "Caixa="
sleep 0.4
confere "Tecla_Atual=8"
confere "Tab1 8 0 "
lampada 66 110  # Caps Lock
espera "Tab1 8 123 {"
lampada 78 111  # Scroll Lock
lampada 77 011  # Num Lock off
lampada 66 001  # Caps Lock off
lampada 78 000  # Scroll Lock off

# The ABNT "/" key held down: every auto-repeat press chooses key 90 again, and the
# release once more (the server repeats after 660 ms, 25 times a second).
antes=$(sed -n 's/^Tecla_Atual=//p' "$rel")
xdotool keydown 97
sleep 1.2
xdotool keyup 97
sleep 0.5
depois=$(sed -n 's/^Tecla_Atual=//p' "$rel")
repeticoes=$(grep -c ' 63 ?$' "$rel" || true)
echo "ABNT / held: selection $antes -> $depois, $repeticoes keys hold \"?\""
if [ $((depois - antes)) -lt 3 ] || [ "$repeticoes" -ne $((depois - antes + 1)) ]; then
    echo "FAIL: holding the ABNT / key should assign it on every repeat and on release"
    mostra
    falhas=$((falhas + 1))
fi

termina "real keystrokes"
