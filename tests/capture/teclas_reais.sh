#!/usr/bin/env bash
# Real keystrokes on the real program: starts its own Xvfb (-noreset, or the layout
# and the lock state are lost whenever a client leaves), sets the Brazilian ABNT2
# layout, starts the program and types on it with xdotool. The results are read from
# the program's test-only report (VANTORA_RELATORIO=path: selection, table 1 with
# captions, Txt_dado, lamps and the open message box, rewritten on every change).
# Usage: teclas_reais.sh PROGRAM. Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
programa=${1:?usage: teclas_reais.sh PROGRAM}
for f in Xvfb xdotool setxkbmap xkbcomp xdpyinfo; do
    command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
done

dir=$(mktemp -d)
xvfb=""
app=""
encerra() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
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
export DISPLAY="$tela"
unset QT_QPA_PLATFORM
setxkbmap br abnt2
# The stock layouts give Scroll Lock no lock modifier, so the X server's "Scroll Lock"
# indicator never changes; bind one, as systems whose Scroll Lock lamp lights do.
setxkbmap br abnt2 -print |
    sed 's/\(xkb_symbols *{ *include "[^"]*"\)/\1 modifier_map Mod3 { Scroll_Lock };/' |
    xkbcomp -w0 - "$DISPLAY"

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
