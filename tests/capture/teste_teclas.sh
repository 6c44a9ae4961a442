#!/usr/bin/env bash
# Real keystrokes on the real program, the same keys on X11 and on Wayland: what each
# key assigns, the lock lamps following the lock keys within one tick, a key held
# down. X11: a private Xvfb with the ABNT2 keymap (tests/comum/xvfb.sh) and xdotool.
# Wayland: a headless sway with the ABNT2 keymap and the virtual keyboard wtype, the
# program on Qt's wayland plugin; sway refuses to run as root, so the three run as
# nobody with the temporary folder as their runtime folder, the program copied there
# (the checkout may lie in a folder nobody cannot enter, such as /root). The results
# are read from the program's test-only report (VANTORA_RELATORIO=path: selection,
# table 1 with captions, the lamps, rewritten on every change); every check runs,
# failures are counted.
# Usage: teste_teclas.sh x11|wayland PROGRAM. Exit 77 (skipped) when a tool or Qt's
# wayland plugin is missing, or when sway cannot start here.
set -uo pipefail
programa=${2:?usage: teste_teclas.sh x11|wayland PROGRAM} plataforma=$1
source "$(dirname "$0")/../comum/xvfb.sh"
if [ "$plataforma" = x11 ]; then
    inicia_xvfb
    fundo programa env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$dir" VANTORA_RELATORIO="$rel" "$programa"
    # X keycodes for the names xdotool would type otherwise: slash as Alt Gr+Q, the pad 7
    # with Num Lock pressed around it, other Alt Gr and Windows keys.
    declare -A x=([slash]=97 [KP_7]=79 [ISO_Level3_Shift]=108 [Super_R]=134)
    tecla() { xdotool key "${x[$1]:-$1}"; }
    segura() { xdotool keydown "${x[$1]:-$1}" sleep 1.2 keyup "${x[$1]:-$1}"; }
    timeout 15 xdotool search --sync --onlyvisible --name '^Corvalo USB/Serial$' windowfocus --sync
else
    requer sway wtype setpriv
    ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
        { echo "SKIP: Qt's wayland plugin (qt6-wayland) is not installed"; exit 77; }
    cp "$programa" "$dir/vantora-config" && programa=$dir/vantora-config
    chown -R 65534:65534 "$dir"
    # The command prefix that runs as nobody. A prefix, not a shell function: a function
    # put in the background runs in a subshell, and killing that would leave sway and the
    # program running.
    como_nobody=(env HOME="$dir" XDG_RUNTIME_DIR="$dir")
    [ "$(id -u)" -ne 0 ] || como_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups "${como_nobody[@]}")
    printf 'input * xkb_layout br\ninput * xkb_variant abnt2\ndefault_border none\n' >"$dir/config"
    fundo sway "${como_nobody[@]}" env -u WAYLAND_DISPLAY -u DISPLAY WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway -c "$dir/config"
    soquete() { sock=$(cd "$dir" && ls wayland-* 2>/dev/null | grep -v lock | head -n1) || ! kill -0 "$(cat "$dir/sway.pid")"; }
    ate 10 soquete 2>/dev/null
    [ -n "$sock" ] || { echo "SKIP: sway could not start here"; tail -5 "$dir/sway.log"; exit 77; }
    fundo programa "${como_nobody[@]}" env -u DISPLAY WAYLAND_DISPLAY="$sock" QT_QPA_PLATFORM=wayland \
        XDG_CONFIG_HOME="$dir" VANTORA_RELATORIO="$rel" "$programa"
    # One key per wtype: each run uploads a keymap of its own, and sway takes the keyboard
    # from the window and gives it back for it. A key already down when the window gets
    # the keyboard back is not a keystroke for the window, so wtype waits first.
    espera_tecla_ms=200
    wtype=("${como_nobody[@]}" env WAYLAND_DISPLAY="$sock" wtype -s "$espera_tecla_ms")
    tecla() { "${wtype[@]}" -k "$1"; }
    segura() { "${wtype[@]}" -P "$1" -s 1200 -p "$1"; }
    sleep 0.5 # the window has the keyboard once sway has mapped it
fi
# lampada KEY LEDS [LINE...]: toggles a lock key; the lamps follow within one 250 ms
# tick (plus a little for the report and this loop), and the LINEs.
lampada() {
    local t0=$(date +%s%3N)
    digita "$1" "Leds=$2" "${@:3}"
    local t=$(($(date +%s%3N) - t0 - ${espera_tecla_ms:-0}))
    [ "$t" -le 700 ] && echo "lamps $2 shown after ${t} ms" || falha "lamps $2 after ${t} ms"
}

espera "Leds=000" 15 || { cat "$dir/programa.log"; exit 1; }
digita a "Tab1 0 65 A" "Tecla_PC_Atual=61"
digita F1 "Tab1 1 1 SOH" "Tecla_PC_Atual=2"
digita Return "Tab1 2 13 CR" "Tecla_PC_Atual=52"
digita KP_Home "Tab1 3 55 7" "Tecla_PC_Atual=56" # numeric pad 7, Num Lock off
digita KP_Enter "Tab1 4 10 LF" "Tecla_PC_Atual=96"
digita ccedilla "Tab1 5 199 Ç" # the ABNT2 keys
digita dead_acute "Tab1 6 180 ´"
digita slash "Tab1 7 63 ?" "Tecla_PC_Atual=90" # scan code 73h
lampada Caps_Lock 010 "Tab1 8 123 {"
lampada Num_Lock 110 "Tab1 9 23 ETB"
digita KP_7 "Tab1 10 55 7" "Tecla_PC_Atual=56" # numeric pad 7, Num Lock on
lampada Scroll_Lock 111 "Tecla_Atual=12"
lampada Caps_Lock 101 "Tecla_Atual=13"
digita a "Tab1 13 65 A" "Leds=101"
lampada Num_Lock 001 "Tecla_Atual=15"
lampada Scroll_Lock 000 "Tecla_Atual=16"
# Alt Gr is left out on Wayland: under sway its press is now and then lost on the
# way to the window, and its release alone reads as a left Ctrl.
[ "$plataforma" = wayland ] || digita ISO_Level3_Shift "Tab1 16 62 >" "Tecla_PC_Atual=100"
# Right Windows, not in the catalogue, assigns nothing (nor does Alt Gr's Ctrl half):
# the next key is 16, or 17 after Alt Gr's one assignment.
k=$((16 + $(grep -c '^Tab1 16 62 >$' "$rel")))
digita Super_R "Txt_dado=15C000192" "Tecla_Atual=$k"

# The ABNT "/" key held down: every auto-repeat press chooses key 90 again, and the
# release once more (held 1.2 s: repeats start after some 600 ms, 25 a second).
segura slash && sleep 0.5
mais=$(($(sed -n 's/^Tecla_Atual=//p' "$rel") - k)) n=$(grep -c '^Tab1 [0-9]* 63 ?$' "$rel")
[ "$mais" -ge 3 ] && [ "$n" -eq $((mais + 1)) ] || falha "held down: $mais keys chosen, $n keys 63"
termina "real keystrokes on $plataforma: all checks passed"
