#!/bin/bash
# The Windows serial link under Wine, against vantora-sim (Linux) on pseudo-terminals
# that the prefix maps as COM7 and COM8 the way Wine maps serial ports (its Ports
# key): `ports` names each once, `send` programs COM7 with the layout the Linux `send` is
# checked against, and a line hung up mid-exchange ends it with the Linux message.
# Usage: teste_serial_wine.sh VANTORA-PROG.EXE LINUX-BIN-DIR
set -u
PROG=$1 LINUX=$2
RAIZ=$(cd "$(dirname "$0")/../.." && pwd)
for p in "$LINUX/vantora-sim" "$LINUX/vantora-prog"; do
    [ -x "$p" ] || { echo "SKIP: sem $p (construa o Linux em build/)"; exit 77; }
done
source "$RAIZ/tests/comum/driver.sh"
source "$RAIZ/tests/comum/wine.sh"
inicia_wine # a prefix of its own: Wine is restarted in it to map the ports
# What a program wrote, without CRs and without the port named in it.
texto() { tr -d '\r' <"$1" | sed 's/^vantora-prog: [^:]*: //'; }

wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$(sim bom "$LINUX/vantora-sim")" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$(sim cai "$LINUX/vantora-sim" --desliga 5)" /f >/dev/null 2>&1
wineserver -k; wineserver -w # the ports are mapped when Wine starts

wine "$PROG" ports >"$dir/ports" 2>/dev/null
for n in 7 8; do [ "$(texto "$dir/ports" | grep -cx "COM$n	Porta serial")" = 1 ] || falha "COM$n em: $(cat "$dir/ports")"; done

wine "$PROG" send "$RAIZ/examples/mercado.key" --port COM7 --speed 9600 >"$dir/out" 2>"$dir/err" ||
    falha "send COM7: $(texto "$dir/err")"
ate 5 grep -q '^FIM_LAYOUT' "$dir/bom.log"
diff <(sed -n '/^FIM$/,$p' "$dir/bom.log") "$RAIZ/tests/data/prog_send.txt" || falha "layout recebido em COM7"

wine "$PROG" send "$RAIZ/examples/mercado.key" --port com8 >/dev/null 2>"$dir/err.win"
status=$?
"$LINUX/vantora-prog" send "$RAIZ/examples/mercado.key" --port "$(sim linux "$LINUX/vantora-sim" --desliga 5)" 2>"$dir/err.linux"
[ "$status" = $? ] || falha "status $status no Windows"
diff <(texto "$dir/err.win") <(texto "$dir/err.linux") || falha "mensagem da linha desligada"
termina "ok: COM7 e COM8 listadas uma vez; layout gravado igual a prog_send.txt; linha desligada como no Linux"
