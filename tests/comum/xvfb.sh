#!/usr/bin/env bash
# A private X server for tests that need real keystrokes and clicks: Xvfb picks a
# free display itself (-displayfd), -noreset keeps the keymap and lock state when
# clients leave, and the keymap is the Brazilian ABNT2 one, with a lock modifier for
# Scroll Lock (the stock layouts give it none, so its lamp would never change).
#
# Sourced: `inicia_xvfb DIR` starts it, exports DISPLAY and sets XVFB_PID.
# Run: `xvfb.sh COMMAND...` runs COMMAND under it; exit 77 (skipped) when a tool is
# missing.

inicia_xvfb() {
    local dir=$1 _
    for f in Xvfb xdotool setxkbmap xkbcomp xdpyinfo; do
        command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
    done
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/tela" >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    DISPLAY=""
    for _ in $(seq 100); do
        [ -s "$dir/tela" ] && DISPLAY=":$(head -n1 "$dir/tela")" && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
        DISPLAY=""
        sleep 0.1
    done
    [ -n "$DISPLAY" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
    export DISPLAY
    unset QT_QPA_PLATFORM
    setxkbmap br abnt2
    setxkbmap br abnt2 -print |
        sed 's/\(xkb_symbols *{ *include "[^"]*"\)/\1 modifier_map Mod3 { Scroll_Lock };/' |
        xkbcomp -w0 - "$DISPLAY"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    dir_xvfb=$(mktemp -d)
    XVFB_PID=""
    trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$dir_xvfb"' EXIT
    inicia_xvfb "$dir_xvfb"
    "$@"
fi
