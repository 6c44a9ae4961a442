#!/usr/bin/env bash
# Real keystrokes on the real program under Wayland: a headless sway with the ABNT2
# keymap and the virtual keyboard wtype, both started here, with the program on Qt's
# wayland plugin. sway refuses to run as root, so the three run as nobody with their
# own runtime folder, the program copied there (the checkout may lie in a folder
# nobody cannot enter, such as /root). The results are read from the program's test-only report
# (VANTORA_RELATORIO=path: selection, table 1 with captions, the lamps, rewritten on
# every change); every check runs, failures are counted.
# Usage: teste_teclas_wayland.sh PROGRAM. Exit 77 (skipped) when sway, wtype or Qt's
# wayland plugin is missing, or when sway cannot start here.
set -uo pipefail
programa=${1:?usage: teste_teclas_wayland.sh PROGRAM}
source "$(dirname "$0")/../comum/driver.sh"
requer sway wtype setpriv
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    { echo "SKIP: Qt's wayland plugin (qt6-wayland) is not installed"; exit 77; }
chmod 755 "$dir"
mkdir -m 700 "$dir/run"
cp "$programa" "$dir/"
programa="$dir/$(basename "$programa")"
chown -R 65534:65534 "$dir"
# The command prefix that runs as nobody. A prefix, not a shell function: a function
# put in the background runs in a subshell, and killing that would leave sway and the
# program running.
como_nobody=(env HOME="$dir" XDG_RUNTIME_DIR="$dir/run")
[ "$(id -u)" -ne 0 ] || como_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups "${como_nobody[@]}")
printf 'input * xkb_layout br\ninput * xkb_variant abnt2\ndefault_border none\n' >"$dir/config"
fundo sway "${como_nobody[@]}" env -u WAYLAND_DISPLAY -u DISPLAY WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$dir/config"
soquete() { sock=$(cd "$dir/run" && ls wayland-* 2>/dev/null | grep -v lock | head -n1) || ! kill -0 "$(cat "$dir/sway.pid")"; }
ate 10 soquete 2>/dev/null
[ -n "$sock" ] || { echo "SKIP: sway could not start here"; tail -5 "$dir/sway.log"; exit 77; }
fundo programa "${como_nobody[@]}" env -u DISPLAY WAYLAND_DISPLAY="$sock" QT_QPA_PLATFORM=wayland \
    XDG_CONFIG_HOME="$dir" VANTORA_RELATORIO="$rel" "$programa"
# One key per wtype: each run uploads a keymap of its own, and sway takes the keyboard
# from the window and gives it back for it. A key already down when the window gets
# the keyboard back is not a keystroke for the window, so wtype waits first.
espera_tecla_ms=200
tecla() { "${como_nobody[@]}" env WAYLAND_DISPLAY="$sock" wtype -s "$espera_tecla_ms" -k "$1"; }
# lampada KEY LEDS: toggles a lock key; the lamps follow within one 250 ms tick (plus
# a little for the report and this loop).
lampada() {
    local t0=$(date +%s%3N)
    tecla "$1"
    if espera "Leds=$2" 2; then
        local t=$(($(date +%s%3N) - t0 - espera_tecla_ms))
        echo "lamps $2 shown after ${t} ms"
        [ "$t" -le 700 ] || falha "lamps took ${t} ms"
    fi
}

espera "Leds=000" 15 || { cat "$dir/programa.log"; exit 1; }
espera "Tecla_Atual=0"
sleep 0.5 # the window has the keyboard once sway has mapped it
digita a "Tab1 0 65 A"
digita F1 "Tab1 1 1 SOH"
digita Return "Tab1 2 13 CR"
digita KP_Home "Tab1 3 55 7" "Tecla_PC_Atual=56" # numeric pad 7, Num Lock off
digita KP_Enter "Tab1 4 10 LF" "Tecla_PC_Atual=96"
digita ccedilla "Tab1 5 199 Ç" # the ABNT2 keys
digita dead_acute "Tab1 6 180 ´"
digita slash "Tab1 7 63 ?" "Tecla_PC_Atual=90" # scan code 73h
# Alt Gr is left out here: under this compositor its press is now and then lost
# on the way to the window, and its release alone reads as a left Ctrl.
lampada Caps_Lock 010
lampada Num_Lock 110
digita KP_7 "Tab1 10 55 7" # numeric pad 7, Num Lock on
lampada Scroll_Lock 111
lampada Caps_Lock 101
tecla a
espera "Leds=101" 0
termina "real keystrokes on Wayland: all checks passed"
