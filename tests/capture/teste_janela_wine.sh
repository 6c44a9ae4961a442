#!/usr/bin/env bash
# The real Windows program under Wine (run by tests/comum/wine.sh, which made the
# private X server with the ABNT2 keymap and the prefix): real keystrokes sent by X
# keycode reach the window as Windows key messages (scan code, extended flag, virtual
# key from Wine's keyboard); the lock lamps follow Caps Lock and Num Lock through the
# system's key state, on the screen's own pixels; the layout saved through the menu
# and the system's file dialog holds the codes typed; the last port opened is the
# per-user setting in the registry, and the port box shows it at the next start. The
# codes each key assigns are read as it goes from the program's test-only report
# (VANTORA_RELATORIO).
#
# Wine 8 does not find every ABNT2 key in its own tables: Ç comes with scan code 60h
# and Alt Gr with 64h (spare codes), the ABNT "/" key with 56h and backslash with 5Eh;
# the key translation places them where Windows does, and the codes they assign
# below are those of the real keys.
#
# Usage: teste_janela_wine.sh vantora-config.exe (in a folder with its DLLs).
set -uo pipefail
programa=${1:?usage: teste_janela_wine.sh vantora-config.exe}
source "$(dirname "$0")/../comum/driver.sh"
requer import
export LC_ALL=C.UTF-8
# janela TITLE: the visible window of that title (xdotool's own wait gives up when a
# window it looks at goes away meanwhile, as Wine's do at start).
janela() { w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$w" ]; }
# inicia: starts the program, finds its window by its title and gives it the keyboard.
inicia() {
    rm -f "$rel"
    (cd "$dir" && exec env VANTORA_RELATORIO="Z:$rel" wine "$programa" >>"$dir/programa.log" 2>&1) &
    disown
    ate 60 janela '^Corvalo USB/Serial$' || { echo "FAIL: no window \"Corvalo USB/Serial\""; cat "$dir/programa.log"; exit 1; }
    principal=$w
    espera "Captura=1" 30 || { cat "$dir/programa.log"; exit 1; }
    xdotool mousemove --window "$principal" 400 300 windowfocus --sync "$principal"
    sleep 0.5
}
# tecla KEYCODE: types the key with that X keycode, held down for 50 ms as a hand would.
tecla() { xdotool keydown "$1" sleep 0.05 keyup "$1"; }
# lampadas LEDS: the Num, Caps and Scroll lamps as drawn on the screen (bright or dark
# green, left to right along the row that crosses them) are LEDS, soon after (the
# report is written before the window is painted again).
lampadas() { ate 2 na_tela "$1" || falha "lamps on the screen: $tela, expected $1"; }
na_tela() {
    import -window root "$dir/tela.png"
    tela=$(convert "$dir/tela.png" txt:- | awk -F'[,: ]+' '
        /#00FF00/ { c[$2] = c[$2] "," $1 ":1" } /#008000/ { c[$2] = c[$2] "," $1 ":0" }
        END {
            for (y in c) { n = split(c[y], p, ","); if (n > max) { max = n; linha = c[y] } }
            n = split(linha, p, ","); ultimo = -9
            for (i = 2; i <= n; i++) { split(p[i], q, ":"); if (q[1] > ultimo + 1) s = s q[2]; ultimo = q[1] }
            print substr(s, 1, 3)
        }')
    [ "$tela" = "$1" ]
}

# Num Lock and Caps Lock go on while no window of the program has the keyboard: Wine
# brings its own locks into line at the window's first key (pressing and releasing
# them at once), and that is no keystroke.
xdotool key 77 66
inicia
espera "Porta=1" # nothing stored yet: the first port
digita 38 "Tab1 0 65 A" "Tecla_PC_Atual=61" "Leds=110"
lampadas 110
digita 67 "Tab1 1 1 SOH" "Tecla_PC_Atual=2"
digita 36 "Tab1 2 13 CR" "Tecla_PC_Atual=52"
digita 79 "Tab1 3 55 7" "Tecla_PC_Atual=56"   # numeric pad 7, Num Lock on
digita 77 "Tab1 4 23 ETB" "Leds=010"          # Num Lock off
digita 79 "Tab1 5 55 7" "Tecla_PC_Atual=56"   # numeric pad 7, Num Lock off
digita 104 "Tab1 6 10 LF" "Tecla_PC_Atual=96" # pad Enter
digita 47 "Tab1 7 199 Ç" "Tecla_PC_Atual=70"
digita 97 "Tab1 8 63 ?" "Tecla_PC_Atual=90"   # the ABNT "/" key (scan code 73h)
digita 94 "Tab1 9 92 \\"                      # backslash, left of Z
digita 108 "Tab1 10 62 >" "Tecla_PC_Atual=100" # Alt Gr: one assignment
digita 66 "Tab1 11 123 {" "Leds=000"          # Caps Lock off
lampadas 000

# Saved through the window's own menu and the system's file dialog (typed into: the
# folder, before the name it offers), the layout holds the codes the keys assigned.
xdotool mousemove --window "$principal" 101 8 click 1
ate 20 janela '^Salvar Layout Teclado Ordavi$'
xdotool mousemove --window "$w" 200 100 sleep 0.5 type --delay 20 "Z:$(tr / '\\' <<<"$dir")\\"
xdotool key Return
ate 30 test -s "$dir/vantora.key"
gravado=$(tr -d '\r' <"$dir/vantora.key" 2>/dev/null | grep -A12 '^\[Tab1\]' | tail -n +2 | tr '\n' ' ')
[ "$gravado" = "T0=65 T1=1 T2=13 T3=55 T4=23 T5=55 T6=10 T7=199 T8=63 T9=92 T10=62 T11=123 " ] ||
    falha "saved through the file dialog: \"$gravado\""

# The per-user setting. COM1 is a pseudo-terminal here; "Ativa Captura Serial" opens
# the port in the box and stores it in the registry, and the port box shows what is
# stored there at the next start.
chave='HKCU\Software\VB and VBA Program Settings\vantora-config\Sistema'
fundo pty python3 -c 'import os, pty, time; m, s = pty.openpty(); print(os.ttyname(s), flush=True); time.sleep(600)'
ate 10 test -s "$dir/pty.log"
ln -sfn "$(cat "$dir/pty.log")" "$WINEPREFIX/dosdevices/com1" # the link Wine's serial driver opens
xdotool mousemove --window "$principal" 178 8 click 1
guardada() { wine reg query "$chave" /v Serial 2>/dev/null | grep -q 'Serial *REG_SZ *1'; }
ate 30 guardada || falha "COM1 opened, but not stored in $chave"
wine taskkill /f /im vantora-config.exe >/dev/null 2>&1
ate 10 eval "! xdotool search --name '^Corvalo USB/Serial$' >/dev/null"
wine reg add "$chave" /v Serial /d 7 /f >/dev/null 2>&1
inicia
espera "Porta=7"

termina "the window under Wine: all checks passed"
