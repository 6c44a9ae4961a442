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
terminal=$(sim sim "$2")
[ -n "$terminal" ] || exit 1
# Port 9 was opened last time; it is not there yet.
mkdir -p "$dir/config/vantora-config"
printf '[Sistema]\nSerial=9\n' >"$dir/config/vantora-config/vantora-config.conf"
le_atspi "$aqui/teste_adaptador_ao_vivo.py" "$terminal" "$dir/adaptador" -- \
    VANTORA_EXTRA_PORTS="9=$dir/adaptador" "$1"
