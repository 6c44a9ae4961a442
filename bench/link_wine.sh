#!/usr/bin/env bash
# A whole `vantora-prog send` (start-up included) under Wine beside the same on Linux,
# against vantora-sim --ritmo (answering only after the bytes would have crossed the
# line) on pseudo-terminals that the private prefix maps as COM5 and COM6 (as Wine
# maps serial ports: its Ports key), at 57600 and 9600 bit/s: median of RUNS, beside Wine's start-up alone (vantora-prog.exe
# --version) and the wire's floor (73 pauses of 5 ms plus the line time of 433 bytes
# and 73 answers). Prints figures; never fails on them.
# Usage: bench/link_wine.sh [RUNS]   (after scripts/windows.sh and the Linux build)
set -uo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
rodadas=${1:-5}
win="$raiz/build-windows/bin/vantora-prog.exe" linux="$raiz/build/bin"
for f in "$win" "$linux/vantora-prog" "$linux/vantora-sim"; do
    [ -x "$f" ] || [ -f "$f" ] || { echo "bench/link_wine.sh: no $f (scripts/windows.sh, scripts/build.sh)"; exit 1; }
done
source "$raiz/tests/comum/driver.sh"
source "$raiz/tests/comum/wine.sh"
inicia_wine
declare -A porta com=([57600]=5 [9600]=6)
for bps in 57600 9600; do
    porta[$bps]=$(sim "sim$bps" "$linux/vantora-sim" --ritmo)
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM${com[$bps]}" /d "${porta[$bps]}" /f >/dev/null 2>&1
done
wineserver -k; wineserver -w # the ports are mapped when Wine starts
wineserver -p                 # one server for every run: its start is no part of a figure
wine "$win" --version >/dev/null
exemplo="$raiz/examples/mercado.key"

# mediana COMMAND...: COMMAND run $rodadas times; "median (min, max)" in seconds, or
# "failed" when a run failed.
mediana() {
    local i t0 ts=()
    for ((i = 0; i < rodadas; i++)); do
        t0=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo failed; return; }
        ts+=($(( $(date +%s%N) - t0 )))
    done
    printf '%s\n' "${ts[@]}" | sort -n | awk '{ t[NR] = $1 / 1e9 }
        END { printf "%.3f s (min %.3f, max %.3f)", t[int((NR + 1) / 2)], t[1], t[NR] }'
}

echo "bench/link_wine.sh: vantora-prog send, one keyboard (vantora-sim --ritmo), median of $rodadas"
echo "  Wine start-up alone (vantora-prog.exe --version): $(mediana wine "$win" --version)"
for bps in 57600 9600; do
    piso=$(awk -v v="$bps" 'BEGIN { printf "%.3f", 73 * 0.005 + (433 + 73) * 10 / v }')
    echo "  $bps bit/s: floor $piso s"
    echo "    Linux vantora-prog:      $(mediana "$linux/vantora-prog" send "$exemplo" --port "${porta[$bps]}" --speed "$bps")"
    echo "    Wine  vantora-prog.exe:  $(mediana wine "$win" send "$exemplo" --port "COM${com[$bps]}" --speed "$bps")"
done
