#!/usr/bin/env bash
# An adapter plugged in and pulled out while the real program runs: the port box shows
# it, then drops it, by itself, and keeps the text it had. A private X server
# (tests/comum/xvfb.sh) and D-Bus session; the box read through AT-SPI by
# teste_adaptador_ao_vivo.py. Usage: teste_adaptador_ao_vivo.sh PROGRAM VANTORA_SIM.
# Exit 77 (skipped) when a tool is missing.
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
command -v dbus-launch >/dev/null || { echo "SKIP: dbus-launch is not installed"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
source "$aqui/../comum/xvfb.sh"
dir=$(mktemp -d)
XVFB_PID=""
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID"; [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID"; rm -rf "$dir"' EXIT
inicia_xvfb "$dir"
eval "$(dbus-launch --sh-syntax)"
timeout 90 /usr/bin/python3 "$aqui/teste_adaptador_ao_vivo.py" "$1" "$2" "$dir"
