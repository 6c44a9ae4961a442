#!/usr/bin/env bash
# A private X server for tests that need real keystrokes and clicks: Xvfb picks a
# free display itself (-displayfd), -noreset keeps the keymap and lock state when
# clients leave, and the keymap is the Brazilian ABNT2 one, with a lock modifier for
# Scroll Lock (the stock layouts give it none, so its lamp would never change).
#
# Sourced: `inicia_xvfb` starts it (ended at exit, see driver.sh) and exports DISPLAY.
# Run: `xvfb.sh COMMAND...` runs COMMAND under it; exit 77 (skipped) when a tool is
# missing.
source "$(dirname "${BASH_SOURCE[0]}")/driver.sh"

tela_pronta() { [ -s "$dir/tela" ] && DISPLAY=":$(head -n1 "$dir/tela")" && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }
inicia_xvfb() {
    requer Xvfb xdotool setxkbmap xkbcomp xdpyinfo
    fundo xvfb Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/tela"
    ate 10 tela_pronta || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
    export DISPLAY
    unset QT_QPA_PLATFORM
    setxkbmap br abnt2
    setxkbmap br abnt2 -print |
        sed 's/\(xkb_symbols *{ *include "[^"]*"\)/\1 modifier_map Mod3 { Scroll_Lock };/' |
        xkbcomp -w0 - "$DISPLAY"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    inicia_xvfb
    "$@"
fi
