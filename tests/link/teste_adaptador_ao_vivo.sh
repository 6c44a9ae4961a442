#!/usr/bin/env bash
# An adapter plugged in and pulled out while the real program runs: the port box shows
# it, then drops it, by itself, and keeps the text it had. The box is read through the
# accessibility bus (tests/comum/atspi.sh) by teste_adaptador_ao_vivo.py. The adapter is
# vantora-sim's pseudo-terminal, reached through the path VANTORA_EXTRA_PORTS names as
# COM9. Usage: teste_adaptador_ao_vivo.sh PROGRAM VANTORA_SIM. Exit 77 (skipped) when a
# tool is missing.
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
source "$aqui/../comum/atspi.sh"
inicia_atspi
"$2" >"$ATSPI_DIR/sim.txt" 2>&1 &
ATSPI_PIDS+=($!)
for _ in $(seq 100); do
    terminal=$(sed -n 's/^PORTA //p' "$ATSPI_DIR/sim.txt")
    [ -n "$terminal" ] && break
    sleep 0.1
done
[ -n "$terminal" ] || { echo "vantora-sim did not start"; cat "$ATSPI_DIR/sim.txt"; exit 1; }
# Port 9 was opened last time; it is not there yet.
mkdir -p "$ATSPI_DIR/config/vantora-config"
printf '[Sistema]\nSerial=9\n' >"$ATSPI_DIR/config/vantora-config/vantora-config.conf"
le_atspi "$aqui/teste_adaptador_ao_vivo.py" "$terminal" "$ATSPI_DIR/adaptador" -- \
    VANTORA_EXTRA_PORTS="9=$ATSPI_DIR/adaptador" "$1"
