# What the boundary scripts share, sourced once: a temporary folder $dir, removed at
# exit with the processes started by `fundo` (and Wine's server, when wine.sh made a
# prefix); a skip (77) when a tool is missing; failures counted; waiting for a
# condition; the window's test report $rel (written through VANTORA_RELATORIO).
[ -n "${dir:-}" ] && return
dir=$(mktemp -d)
rel="$dir/relatorio.txt"
falhas=0
encerra() {
    set +e
    declare -F para_wine >/dev/null && para_wine
    local pids=$(cat "$dir"/*.pid 2>/dev/null)
    kill $pids 2>/dev/null
    for p in $pids; do wait "$p" 2>/dev/null; done
    rm -rf "$dir"
}
trap encerra EXIT
requer() {
    for f; do
        command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
    done
}
# falha TEXT: counts a failure; the report, but for the keys no script types, is shown.
falha() {
    echo "FAIL: $*"
    grep -v '^Tab1 \([2-9][0-9]\|1[2-9]\) ' "$rel" 2>/dev/null
    falhas=$((falhas + 1))
}
# termina TEXT: exit 1 after any failure, else TEXT.
termina() { [ "$falhas" -eq 0 ] || { echo "$falhas check(s) failed"; exit 1; }; echo "$1"; }
# ate SECONDS COMMAND...: COMMAND run until it succeeds; false once SECONDS have passed.
ate() {
    local fim=$((SECONDS + $1))
    shift
    until "$@"; do [ $SECONDS -lt $fim ] || return 1; sleep 0.05; done
}
# fundo NAME COMMAND...: COMMAND in the background, its output in $dir/NAME.log.
fundo() { local nome=$1; shift; "$@" >"$dir/$nome.log" 2>&1 & echo $! >"$dir/$nome.pid"; }
# sim NAME VANTORA-SIM [OPTIONS...]: the emulator as `fundo NAME`; prints its port.
sim() {
    fundo "$@"
    ate 10 grep -q '^PORTA ' "$dir/$1.log" || { echo "vantora-sim did not start: $(cat "$dir/$1.log")" >&2; exit 1; }
    sed -n 's/^PORTA //p' "$dir/$1.log"
}
# espera LINE [SECONDS]: the report holds LINE, within SECONDS (5).
espera() { ate "${2:-5}" grep -qxF -- "$1" "$rel" 2>/dev/null || { falha "expected \"$1\""; return 1; }; }
# digita KEY LINE...: types KEY (with the script's `tecla`) and waits for each LINE.
digita() { tecla "$1"; shift; for linha; do espera "$linha"; done; }
