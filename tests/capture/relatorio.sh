# Checks on the program's test-only report (VANTORA_RELATORIO), shared by the tests
# that type on the real window. The sourcing script sets $rel and defines
# `tecla KEY`, which types one key its own way.
falhas=0
mostra() { echo "--- report:"; grep -v '^Tab1 \([2-9][0-9]\|1[2-9]\) ' "$rel" 2>/dev/null || true; }
# espera LINE [seconds]: waits until the report holds LINE exactly.
espera() {
    local linha=$1 limite=${2:-5} inicio=$SECONDS
    while [ $((SECONDS - inicio)) -lt "$limite" ]; do
        grep -qxF -- "$linha" "$rel" 2>/dev/null && return 0
        sleep 0.02
    done
    echo "FAIL: expected \"$linha\""
    mostra
    falhas=$((falhas + 1))
    return 1
}
# confere LINE: the report holds LINE now.
confere() {
    grep -qxF -- "$1" "$rel" && return 0
    echo "FAIL: expected \"$1\" now"
    mostra
    falhas=$((falhas + 1))
}
agora_ms() { date +%s%3N; }
# lampada KEY LEDS: toggles a lock key and checks the lamps follow within one
# 250 ms tick (plus a little for the report and this loop).
lampada() {
    local t0 t
    t0=$(agora_ms)
    tecla "$1"
    if espera "Leds=$2" 2; then
        t=$(( $(agora_ms) - t0 - ${ESPERA_TECLA_MS:-0} ))
        echo "lamps $2 shown after ${t} ms"
        if [ "$t" -gt 700 ]; then echo "FAIL: lamps took ${t} ms"; falhas=$((falhas + 1)); fi
    fi
}

# termina NAME: the verdict.
termina() {
    if [ "$falhas" -ne 0 ]; then
        echo "$falhas check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
}
