#!/usr/bin/env bash
# An adapter plugged in and pulled out while the real program runs: the port box shows
# it, then drops it, by itself, and keeps the text it had. Runs the program in a real X
# server (Xvfb) with its own D-Bus session and reads the box through AT-SPI
# (teste_adaptador_ao_vivo.py). Usage: teste_adaptador_ao_vivo.sh PROGRAM VANTORA_SIM.
# Exit 77 (skipped) when a tool is missing.
set -uo pipefail
programa=${1:?usage: teste_adaptador_ao_vivo.sh PROGRAM VANTORA_SIM}
simulador=${2:?usage: teste_adaptador_ao_vivo.sh PROGRAM VANTORA_SIM}
aqui=$(cd "$(dirname "$0")" && pwd)
for f in Xvfb dbus-launch xdpyinfo; do
    command -v "$f" >/dev/null || { echo "SKIP: $f is not installed (scripts/deps.sh installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

dir=$(mktemp -d)
pids=()
encerra() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$dir"
}
trap encerra EXIT

# Xvfb picks a free display itself and writes its number on descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/tela" >"$dir/xvfb.log" 2>&1 &
pids+=($!)
tela=""
for _ in $(seq 100); do
    [ -s "$dir/tela" ] && tela=":$(head -n1 "$dir/tela")" && xdpyinfo -display "$tela" >/dev/null 2>&1 && break
    tela=""
    sleep 0.1
done
[ -n "$tela" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
eval "$(dbus-launch --sh-syntax)"

# The emulator's terminal: the adapter to be plugged in.
mkfifo "$dir/entrada"
"$simulador" <"$dir/entrada" >"$dir/sim.log" 2>&1 &
simulador_pid=$!
pids+=($simulador_pid)
exec 4>"$dir/entrada" # its input stays open until the end
terminal=""
for _ in $(seq 100); do
    terminal=$(sed -n 's/^PORTA //p' "$dir/sim.log" | head -n1)
    [ -n "$terminal" ] && break
    sleep 0.1
done
[ -n "$terminal" ] || { echo "vantora-sim did not start"; cat "$dir/sim.log"; exit 1; }

# Port 9 was opened last time; it is not there yet.
mkdir -p "$dir/config/vantora-config"
printf '[Sistema]\nSerial=9\n' >"$dir/config/vantora-config/vantora-config.conf"
env -u QT_QPA_PLATFORM DISPLAY="$tela" QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir" VANTORA_EXTRA_PORTS="9=$dir/adaptador" \
    "$programa" >"$dir/programa.log" 2>&1 &
pids+=($!)

if ! timeout 90 /usr/bin/python3 "$aqui/teste_adaptador_ao_vivo.py" "$dir/adaptador" "$terminal" "$simulador_pid"; then
    echo "--- program:"; cat "$dir/programa.log"
    exit 1
fi
