#!/usr/bin/env bash
# Real keystrokes on the real program under Wayland: a headless sway and the virtual
# keyboard wtype, both started here, with the program on Qt's wayland plugin. sway
# refuses to run as root, so the three run as nobody with their own runtime folder.
# Checks the same report as teclas_reais.sh (relatorio.sh).
# Usage: teclas_wayland.sh PROGRAM. Exit 77 (skipped) when sway, wtype or Qt's
# wayland plugin is missing, or when sway cannot start here.
set -euo pipefail
programa=${1:?usage: teclas_wayland.sh PROGRAM}
for f in sway wtype setpriv; do
    command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
done
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    { echo "SKIP: Qt's wayland plugin (qt6-wayland) is not installed"; exit 77; }

dir=$(mktemp -d)
chmod 755 "$dir"
mkdir -m 700 "$dir/run"
chown -R 65534:65534 "$dir"
sway_pid=""
app=""
encerra() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$dir"
}
trap encerra EXIT
como_nobody() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$dir" XDG_RUNTIME_DIR="$dir/run" "$@"
    else
        env HOME="$dir" XDG_RUNTIME_DIR="$dir/run" "$@"
    fi
}
printf 'input * xkb_layout br\ninput * xkb_variant abnt2\ndefault_border none\n' >"$dir/config"
como_nobody env -u WAYLAND_DISPLAY -u DISPLAY WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
sway_pid=$!
sock=""
for _ in $(seq 100); do
    sock=$(cd "$dir/run" 2>/dev/null && ls wayland-* 2>/dev/null | grep -v lock | head -n1 || true)
    [ -n "$sock" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$sock" ] || { echo "SKIP: sway could not start here"; tail -5 "$dir/sway.log"; exit 77; }

rel="$dir/relatorio.txt"
como_nobody env -u DISPLAY WAYLAND_DISPLAY="$sock" QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME="$dir" \
    VANTORA_RELATORIO="$rel" "$programa" >"$dir/programa.log" 2>&1 &
app=$!

set +e # every check runs; the failures are counted
source "$(dirname "$0")/relatorio.sh"
# One key per wtype: each run uploads a keymap of its own, and sway takes the keyboard
# from the window and gives it back for it. A key already down when the window gets
# the keyboard back is not a keystroke for the window, so wtype waits 200 ms first.
ESPERA_TECLA_MS=200
tecla() { como_nobody env WAYLAND_DISPLAY="$sock" wtype -s "$ESPERA_TECLA_MS" -k "$1"; }

espera "Leds=000" 15 || { cat "$dir/programa.log"; exit 1; }
espera "Tecla_Atual=0"
sleep 0.5 # the window has the keyboard once sway has mapped it
tecla a
espera "Tab1 0 65 A"
tecla F1
espera "Tab1 1 1 SOH"
tecla Return
espera "Tab1 2 13 CR"
tecla KP_Home     # numeric pad 7, Num Lock off
espera "Tab1 3 55 7"
confere "Tecla_PC_Atual=56"
tecla KP_Enter
espera "Tab1 4 10 LF"
confere "Tecla_PC_Atual=96"
tecla ccedilla    # the ABNT2 keys
espera "Tab1 5 199 Ç"
tecla dead_acute
espera "Tab1 6 180 ´"
tecla slash       # scan code 73h
espera "Tab1 7 63 ?"
confere "Tecla_PC_Atual=90"
# Alt Gr is left out here: under this compositor its press is now and then lost on
# the way to the window, and its release alone reads as a left Ctrl.
lampada Caps_Lock 010
lampada Num_Lock 110
tecla KP_7        # numeric pad 7, Num Lock on
espera "Tab1 10 55 7"
lampada Scroll_Lock 111
lampada Caps_Lock 101
tecla a

confere "Leds=101"
termina "real keystrokes on Wayland"
