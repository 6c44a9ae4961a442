#!/bin/bash
# vantora-prog on a Windows console under Wine (Wine's console on a pseudo-terminal,
# its screen read back by tela_console): "/?" gives the help, in Windows' words and
# broken at spaces to the console's width (the text a pipe gets otherwise unchanged);
# `ports` names each port Wine maps once; the progress of `send` to two keyboards
# (vantora-sim as COM7 and COM8) redrawn in place, with no escape sequence left on the
# screen, and COM7 programmed as on Linux; Ctrl+Break and the console closed stop `send`
# as Ctrl+C does; a line hung up mid-exchange ends it with the Linux message.
# Usage: teste_console_wine.sh VANTORA-PROG.EXE TELA_CONSOLE.EXE LINUX-BIN-DIR
set -u
PROG=$1 TELA=$2 LINUX=$3
RAIZ=$(cd "$(dirname "$0")/../.." && pwd)
for p in "$LINUX/vantora-sim" "$LINUX/vantora-prog"; do
    [ -x "$p" ] || { echo "SKIP: sem $p (construa o Linux em build/)"; exit 77; }
done
source "$RAIZ/tests/comum/driver.sh"
requer python3
source "$RAIZ/tests/comum/wine.sh"
inicia_wine
PROG_W=$(winepath -w "$PROG")

# console COLUMNS NAME ARGS...: vantora-prog ARGS on a console COLUMNS wide; the screen
# then in $dir/NAME; the status is the program's. $evento: tela_console's --evento.
evento=()
console() {
    local comando
    comando=$(printf ' %q' wine "$TELA" "${evento[@]}" "$dir/$2" "$PROG_W" "${@:3}")
    SHELL=/bin/bash script -qec "stty cols $1 rows 300 &&$comando" /dev/null >/dev/null
}
# quebrada TEXT SCREEN: SCREEN holds the words of TEXT in order, none broken but one
# longer than half the screen's 49 columns.
quebrada() {
    python3 - "$1" "$2" <<'PY'
import sys
texto, tela = (open(a, encoding="utf-8").read().split() for a in sys.argv[1:])
assert "".join(texto) == "".join(tela), "outro texto"
partidas = [p for p in tela if p not in texto]
assert all(any(p in t and len(t) > 24 for t in texto) for p in partidas), partidas
PY
}

# Help: "/?" as --help, at the top and for each command.
for cmd in "" ports send show check legend; do
    # shellcheck disable=SC2086
    wine "$PROG" $cmd /? >"$dir/ajuda_$cmd" 2>&1 || falha "$cmd /?: status $?"
    # shellcheck disable=SC2086
    wine "$PROG" $cmd --help >"$dir/help" 2>&1
    cmp -s "$dir/ajuda_$cmd" "$dir/help" || falha "$cmd /? difere de --help"
    grep -q '^Uso: vantora-prog' "$dir/ajuda_$cmd" || falha "$cmd /?: $(head -3 "$dir/ajuda_$cmd")"
    grep -n 'stderr\|stdout\|SIG[A-Z]\|/dev/\|Ctrl-C\|CAMINHO\|terminal' "$dir/ajuda_$cmd" &&
        falha "$cmd /?: palavras do Linux"
    [ -n "$cmd" ] && { grep -q '^  /?, -h, --help ' "$dir/ajuda_$cmd" || falha "$cmd /?: sem /? entre as opções"; }
    # On a console 50 wide: the same words, no line beyond 49 columns.
    console 50 "tela_$cmd" $cmd /? || falha "$cmd /? no console: status $?"
    quebrada "$dir/ajuda_$cmd" "$dir/tela_$cmd" || falha "$cmd /? no console: palavras quebradas"
    LC_ALL=C.UTF-8 grep -E '^.{50}' "$dir/tela_$cmd" && falha "$cmd /? no console: linha longa"
done
grep -q 'Ctrl+C' "$dir/ajuda_" || falha "sem Ctrl+C na ajuda"
grep -q '"vantora-prog COMANDO /?" explica' "$dir/ajuda_" || falha "a ajuda não aponta /?"
# An option's description goes on under itself.
awk '/^  --port / { c = index($0, "Porta:"); n = 3; next }
    n-- > 0 && (substr($0, 1, c - 1) ~ /[^ ]/ || substr($0, c, 1) !~ /[^ ]/) { c = 0; exit }
    END { exit !c }' "$dir/tela_send" || falha "--port: continuação fora da coluna da descrição"

# Keyboards (vantora-sim) on pseudo-terminals, mapped as COM ports the way Wine maps
# serial ports (its Ports key): porta COMn NAME [OPTIONS...].
porta() { wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /d "$(sim "$2" "$LINUX/vantora-sim" "${@:3}")" /f >/dev/null 2>&1; }
porta COM7 bom
porta COM8 outro
porta COM91 lento1 --atraso 20
porta COM92 lento2 --atraso 20
porta COM93 cai --desliga 5
wineserver -k; wineserver -w # the ports are mapped when Wine starts
# What a program wrote, without CRs and without the port named in it.
texto() { tr -d '\r' <"$1" | sed 's/^vantora-prog: [^:]*: //'; }

wine "$PROG" ports >"$dir/ports" 2>/dev/null
for n in 7 8; do [ "$(texto "$dir/ports" | grep -cx "COM$n	Porta serial")" = 1 ] || falha "COM$n em: $(cat "$dir/ports")"; done

# Both keyboards at once, on a console 70 wide: each progress line once, at its end;
# COM7 got the layout the Linux `send` is checked against.
console 70 envio send "$RAIZ/examples/mercado.key" --port COM7 --port 8 --speed 9600 ||
    falha "send no console: status $? ($(cat "$dir/envio"))"
ate 5 grep -q '^FIM_LAYOUT' "$dir/bom.log"
diff <(sed -n '/^FIM$/,$p' "$dir/bom.log") "$RAIZ/tests/data/prog_send.txt" || falha "layout recebido em COM7"
barra="\[########################################\] 71\/71 fim"
for n in 7 8; do
    [ "$(grep -c "^COM$n $barra\$" "$dir/envio")" = 1 ] || falha "progresso de COM$n: $(cat "$dir/envio")"
    grep -qx "COM$n: Gravação do teclado efetuada." "$dir/envio" || falha "resultado de COM$n"
done
grep -n $'\e\|\[K\|\[[0-9]A' "$dir/envio" && falha "sequências de escape na tela"
[ "$(grep -c 'COM[78] \[' "$dir/envio")" = 2 ] || falha "linhas de progresso repetidas: $(cat "$dir/envio")"
# Ctrl+Break (1) and the console closed (2) mid-exchange: the exchange stops as for
# Ctrl+C, the port says what its keyboard took (the count the keyboard itself took),
# and the status is 130.
for n in 1 2; do
    evento=(--evento $n "$(winepath -w "$dir")\\sinal$n")
    console 70 evento$n send "$RAIZ/examples/mercado.key" --port COM9$n &
    ate 60 grep -q '^REGISTRO 10:' "$dir/lento$n.log"
    touch "$dir/sinal$n"
    wait $! && status=0 || status=$?
    aceitos=$(grep -c -- '-> 5$' "$dir/lento$n.log")
    [ $status = 130 ] && grep -q "^COM9$n \[.*\] $aceitos/71 interrompida$" "$dir/evento$n" &&
        tr -d '\n' <"$dir/evento$n" | grep -q "gravação interrompida; .*: aceitou $aceitos de 71" ||
        falha "evento $n: status $status, $aceitos aceitos: $(cat "$dir/evento$n")"
done
# A line hung up mid-exchange (the port named in small letters): the status and the
# message of the Linux program.
wine "$PROG" send "$RAIZ/examples/mercado.key" --port com93 >/dev/null 2>"$dir/err.win"
status=$?
"$LINUX/vantora-prog" send "$RAIZ/examples/mercado.key" --port "$(sim linux "$LINUX/vantora-sim" --desliga 5)" 2>"$dir/err.linux"
[ "$status" = $? ] || falha "status $status no Windows"
diff <(texto "$dir/err.win") <(texto "$dir/err.linux") || falha "mensagem da linha desligada"
termina "ok: COM7 e COM8 listadas uma vez, layout gravado igual a prog_send.txt, linha desligada como no Linux, /? em Windows, ajuda quebrada a 50 colunas, progresso redesenhado, Ctrl+Break e console fechado"
