# Checks on the window's test report ($rel, written through VANTORA_RELATORIO), shared
# by the real-keystroke scripts. Sourced after `rel` is set and, for `digita`, after
# `tecla KEY` is defined (each display server types its own way).

falhas=0
falha() {
    echo "FAIL: $1"
    grep -v '^Tab1 \([2-9][0-9]\|1[2-9]\) ' "$rel" 2>/dev/null # the report, but for the untouched keys
    falhas=$((falhas + 1))
}
# espera LINE [seconds]: waits until the report holds LINE exactly.
espera() {
    local fim=$((SECONDS + ${2:-5}))
    until grep -qxF -- "$1" "$rel" 2>/dev/null; do
        [ $SECONDS -lt "$fim" ] || { falha "expected \"$1\""; return 1; }
        sleep 0.02
    done
}
# digita KEY LINE...: types KEY and waits for each LINE.
digita() {
    tecla "$1"
    shift
    for linha in "$@"; do espera "$linha"; done
}
