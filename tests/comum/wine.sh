#!/usr/bin/env bash
# Windows programs under Wine (64-bit) for the tests: a private prefix made by the
# test (wineboot -i), WINEDEBUG=-all, and the prefix's wineserver ended at the end.
#
# Sourced: `inicia_wine` makes the prefix $dir/prefixo (driver.sh), exports WINEPREFIX
# and passes the QT_ variables set at that time on to Windows programs (passa_qt); its
# wineserver is ended at exit.
# Run: `wine.sh COMMAND...` runs COMMAND (which starts its Windows programs with `wine`)
# under a private Xvfb (xvfb.sh) with a private prefix.
# As CTest's emulator (CMAKE_CROSSCOMPILING_EMULATOR):
#   `wine.sh --emulador DIR PROGRAM.exe ARGS...` runs the program in the prefix DIR,
#   made by the first test that needs it (under a lock: tests run in parallel share
#   it, and its wineserver); `wine.sh --fim DIR` ends that wineserver and removes DIR.
# Exit 77 (skipped) when Wine is not installed.

verifica_wine() {
    type -P wine wineboot wineserver >/dev/null || { echo "SKIP: Wine is not installed (scripts/windows.sh installs it)"; exit 77; }
}

# Wine's own set-up offers to download Mono and Gecko: not wanted, and not needed; its
# menu builder would copy Start-menu entries and file types into the host's desktop.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64

# Wine keeps the host's QT_ variables from Windows programs (they name Linux plugins
# and paths) and passes WINEQT_x as QT_x instead: those set now are passed on.
passa_qt() { local v; for v in $(compgen -e QT_); do export "WINE$v=${!v}"; done; }

faz_prefixo() {
    WINEPREFIX=$1 wine wineboot -i >"$1.log" 2>&1 || { echo "wineboot failed:"; cat "$1.log"; exit 1; }
    WINEPREFIX=$1 wineserver -w
}

inicia_wine() {
    verifica_wine
    export WINEPREFIX="$dir/prefixo"
    faz_prefixo "$WINEPREFIX"
    passa_qt
}

para_wine() { [ -d "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null; }

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    verifica_wine
    export WINEPREFIX="${2:-}/prefixo"
    case "${1:-}" in
    --emulador)
        shift 2
        # offscreen unit tests: no display of the host is ever used
        unset DISPLAY WAYLAND_DISPLAY
        passa_qt
        # The offscreen platform finds fonts only beside Qt: give it the host's, so that
        # text is measured as on a real system.
        fontes=/usr/share/fonts/truetype/liberation
        [ -d "$fontes" ] && export WINEQT_QPA_FONTDIR="Z:${fontes//\//\\}"
        mkdir -p "$WINEPREFIX"
        (
            flock 9
            [ -f "$WINEPREFIX/system.reg" ] || faz_prefixo "$WINEPREFIX"
        ) 9>"${WINEPREFIX%/*}/trava"
        exec wine "$@"
        ;;
    --fim)
        para_wine || true
        rm -rf "$2"
        ;;
    *)
        # shellcheck source=tests/comum/xvfb.sh
        source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
        inicia_xvfb
        inicia_wine
        "$@"
        ;;
    esac
fi
