#!/usr/bin/env bash
# Windows programs under Wine (64-bit) for the tests: a private prefix made by the
# test (wineboot -i), WINEDEBUG=-all, and the prefix's wineserver ended at the end.
#
# Sourced: `inicia_wine DIR` makes the prefix DIR/prefixo, exports WINEPREFIX and
# passes the QT_ variables set at that time on to Windows programs (passa_qt);
# `para_wine` ends its wineserver; `porta_com N PTY` makes COMn of the prefix the
# pseudo-terminal PTY (a dosdevices link, which Wine's serial driver opens).
# Run: `wine.sh COMMAND...` runs COMMAND (which starts its Windows programs with `wine`;
# porta_com is exported to it) under a private Xvfb (xvfb.sh) with a private prefix.
# As CTest's emulator (CMAKE_CROSSCOMPILING_EMULATOR):
#   `wine.sh --emulador DIR PROGRAM.exe ARGS...` runs the program in the prefix DIR,
#   made by the first test that needs it (under a lock: tests run in parallel share
#   it, and its wineserver); `wine.sh --fim DIR` ends that wineserver and removes DIR.
# Exit 77 (skipped) when Wine is not installed.

verifica_wine() {
    for f in wine wineboot wineserver; do
        command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/windows.sh installs it)"; exit 77; }
    done
}

# Wine's own set-up offers to download Mono and Gecko: not wanted, and not needed.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

# Wine keeps the host's QT_ variables from Windows programs (they name Linux plugins
# and paths) and passes WINEQT_x as QT_x instead: those set now are passed on.
passa_qt() {
    local v
    for v in $(compgen -e QT_); do export "WINE$v=${!v}"; done
}

faz_prefixo() {
    local prefixo=$1
    mkdir -p "$prefixo"
    WINEPREFIX=$prefixo wine wineboot -i >"$prefixo.log" 2>&1 ||
        { echo "wineboot failed:"; cat "$prefixo.log"; exit 1; }
    WINEPREFIX=$prefixo wineserver -w
}

inicia_wine() {
    verifica_wine
    export WINEPREFIX="$1/prefixo"
    faz_prefixo "$WINEPREFIX"
    passa_qt
}

para_wine() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
}

porta_com() {
    ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case "${1:-}" in
    --emulador)
        verifica_wine
        dir=$2
        shift 2
        mkdir -p "$dir"
        export WINEPREFIX="$dir/prefixo"
        # offscreen unit tests: no display of the host is ever used
        unset DISPLAY WAYLAND_DISPLAY
        passa_qt
        (
            flock 9
            [ -f "$WINEPREFIX/system.reg" ] || faz_prefixo "$WINEPREFIX"
        ) 9>"$dir/trava"
        exec wine "$@"
        ;;
    --fim)
        verifica_wine
        export WINEPREFIX="$2/prefixo"
        para_wine
        rm -rf "$2"
        ;;
    *)
        # shellcheck source=tests/comum/xvfb.sh
        source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
        verifica_wine
        dir_wine=$(mktemp -d)
        XVFB_PID=""
        trap 'para_wine; [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$dir_wine"' EXIT
        inicia_xvfb "$dir_wine"
        inicia_wine "$dir_wine"
        export -f porta_com
        "$@"
        ;;
    esac
fi
