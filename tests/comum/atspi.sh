#!/usr/bin/env bash
# The real program read from outside through the accessibility bus (AT-SPI), as a
# screen reader reads it, in the private X server of xvfb.sh.
#
# Sourced: `inicia_atspi` starts the X server; exit 77 (skipped) when a tool is
# missing. Then `le_atspi SCRIPT [ARGS...] -- [VAR=VALUE...] PROGRAM [ARGS...]` runs
# PROGRAM with accessibility on, in a D-Bus session of its own, with its settings in
# $dir/config, and SCRIPT (python, importing atspi.py) beside it; prints what SCRIPT
# prints and returns its status, showing the program's output when it fails.
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

inicia_atspi() {
    requer dbus-launch
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
    inicia_xvfb
    mkdir -p "$dir/config"
}

le_atspi() {
    local script=() estado
    while [ "$1" != "--" ]; do
        script+=("$1")
        shift
    done
    shift
    (
        eval "$(dbus-launch --sh-syntax)"
        env QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME="$dir/config" \
            XDG_RUNTIME_DIR="$dir" HOME="$dir" "$@" >"$dir/programa.log" 2>&1 &
        local app=$!
        PYTHONPATH="$(dirname "${BASH_SOURCE[0]}")" timeout 90 /usr/bin/python3 "${script[@]}"
        estado=$?
        kill "$app" "$DBUS_SESSION_BUS_PID" 2>/dev/null
        wait "$app" 2>/dev/null
        [ $estado -eq 0 ] || { echo "--- program:"; cat "$dir/programa.log"; } >&2
        exit $estado
    )
}
