#!/usr/bin/env bash
# Peak memory of reading a big layout file: bench/memoria.sh [BUILD_DIR]
#
# The example layout followed by millions of "[a]" sections (CR LF), 16 MB and 64 MB,
# read by "vantora-prog show", "vantora-prog check" and the window (open the file,
# offscreen, closed once it is up). Prints the peak resident set of each, and the time
# "check" takes over 16,000 pairs of repeated section names. Never fails on a figure.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target vantora-prog vantora-config >/dev/null || exit 1
prog=$build/bin/vantora-prog
janela=$build/bin/vantora-config
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The example, then "[a]" lines up to the size asked for, in MB.
grande() {
    local mb=$1 arquivo=$tmp/grande$1.key
    cp examples/mercado.key "$arquivo"
    local falta=$((mb * 1024 * 1024 - $(stat -c %s "$arquivo")))
    yes $'[a]\r' | head -c "$falta" >>"$arquivo"
    echo "$arquivo"
}

# Peak RSS in MB and the exit status of a command, its output thrown away.
pico() {
    local rel=$tmp/time.txt st
    env QT_QPA_PLATFORM=offscreen VANTORA_SAIR_AO_MOSTRAR=1 /usr/bin/time -o "$rel" -f %M "$@" \
        >/dev/null 2>&1
    st=$?
    printf '%8.1f MB (status %d)' "$(echo "$(tail -n1 "$rel") / 1024" | bc -l)" "$st"
}

for mb in 16 64; do
    f=$(grande "$mb")
    echo "file of $mb MB ($(stat -c %s "$f") bytes), peak resident memory:"
    echo "  show   $(pico "$prog" show "$f")"
    echo "  check  $(pico "$prog" check "$f")"
    echo "  window $(pico "$janela" "$f")"
    rm -f "$f"
done

# 16,000 section names each written twice: [s0], [s0], [s1], [s1], ...
rep=$tmp/repetidas.key
cp examples/mercado.key "$rep"
for ((i = 0; i < 16000; i++)); do printf '[s%d]\r\n[s%d]\r\n' "$i" "$i"; done >>"$rep"
inicio=$(date +%s.%N)
"$prog" check "$rep" >/dev/null
fim=$(date +%s.%N)
printf 'check of 16,000 repeated section names (%d bytes): %.2f s\n' "$(stat -c %s "$rep")" \
    "$(echo "$fim - $inicio" | bc -l)"
