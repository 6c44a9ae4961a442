#!/usr/bin/env bash
# The real program read from outside through the accessibility bus (AT-SPI), as a
# screen reader reads it, in the private X server of xvfb.sh.
#
# Sourced: `inicia_atspi` starts the X server in a temporary directory ATSPI_DIR that
# is removed at exit, when the processes in ATSPI_PIDS (add yours) are ended as well;
# exit 77 (skipped) when a tool is missing. Then `le_atspi SCRIPT [ARGS...] --
# [VAR=VALUE...] PROGRAM [ARGS...]` runs PROGRAM with accessibility on, in a D-Bus
# session of its own, with its settings in ATSPI_DIR/config, and SCRIPT (python,
# importing atspi.py) beside it; prints what SCRIPT prints and returns its status,
# showing the program's output when it fails.
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

inicia_atspi() {
    command -v dbus-launch >/dev/null || { echo "SKIP: dbus-launch is not installed (scripts/deps.sh installs it)"; exit 77; }
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
    ATSPI_DIR=$(mktemp -d)
    ATSPI_PIDS=()
    XVFB_PID=""
    trap encerra_atspi EXIT
    inicia_xvfb "$ATSPI_DIR"
    mkdir -p "$ATSPI_DIR/config"
}

encerra_atspi() {
    for p in $XVFB_PID "${ATSPI_PIDS[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$ATSPI_DIR"
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
        env QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME="$ATSPI_DIR/config" \
            XDG_RUNTIME_DIR="$ATSPI_DIR" HOME="$ATSPI_DIR" "$@" >"$ATSPI_DIR/programa.log" 2>&1 &
        local app=$!
        PYTHONPATH="$(dirname "${BASH_SOURCE[0]}")" timeout 90 /usr/bin/python3 "${script[@]}"
        estado=$?
        kill "$app" 2>/dev/null
        wait "$app" 2>/dev/null
        kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
        [ $estado -eq 0 ] || { echo "--- program:"; cat "$ATSPI_DIR/programa.log"; } >&2
        exit $estado
    )
}
