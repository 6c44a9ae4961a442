#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan into build-fuzz/
# and runs them, in one of two ways:
#
#   scripts/fuzz.sh --replay [TARGET...]
#     The test (scripts/test.sh runs it): the same verdict on the same commit. Each
#     input of the regression folder tests/data/fuzz-regressao/<target>/ runs alone,
#     once; then the target replays its seeds (tests/data/fuzz-*) and the regression
#     inputs and mutates them for a fixed number of runs with a fixed seed. It reads
#     nothing but the repository's inputs (never build-fuzz/corpus) and writes its new
#     inputs into a temporary folder it then removes. Prints one line per target with
#     its coverage, the same on every run of the same build; on a failure the log.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#     Exploration: each target runs for SECONDS (default 30) from its seeds, the
#     regression inputs and its own growing corpus in build-fuzz/corpus/<target>/, and
#     may find something new on any run.
#
# Both fail when a target finds a crash, a leak or a hang; libFuzzer then writes the
# input to build-fuzz/crash-*, leak-* or timeout-*, which becomes a regression input
# (see the README). Neither writes into the repository's folders.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz="$PWD"
replay=0
if [ "${1:-}" = --replay ]; then
    replay=1
    shift
    alvos=("$@")
else
    segundos="${1:-30}"
    alvos=("${@:2}")
fi
[ ${#alvos[@]} -gt 0 ] || alvos=(fuzz_layout fuzz_conversao fuzz_traducao)
declare -A sementes=([fuzz_layout]=tests/data/fuzz-layout [fuzz_conversao]=tests/data/fuzz-conversao
    [fuzz_traducao]=tests/data/fuzz-traducao)
# Runs of the replay: each target some 3 to 15 s on two cores here (a run grows
# slower as the inputs grow longer).
declare -A execucoes=([fuzz_layout]=60000 [fuzz_conversao]=500000 [fuzz_traducao]=120000)
for alvo in "${alvos[@]}"; do
    [ -n "${sementes[$alvo]:-}" ] || { echo "fuzz.sh: alvo desconhecido: $alvo" >&2; exit 2; }
done

if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTORA_FUZZ=ON -DVANTORA_SANITIZE=ON -DVANTORA_TESTS=OFF >/dev/null
fi
cmake --build build-fuzz -j"${JOBS:-2}" --target "${alvos[@]}"
cd build-fuzz
opcoes=(-rss_limit_mb=4096 -max_len=16384)

if [ "$replay" = 0 ]; then
    for alvo in "${alvos[@]}"; do
        corpus="corpus/$alvo"
        mkdir -p "$corpus"
        regressao=()
        [ -d "$raiz/tests/data/fuzz-regressao/$alvo" ] && regressao=("$raiz/tests/data/fuzz-regressao/$alvo")
        echo "== $alvo: ${segundos}s"
        "./bin/$alvo" -max_total_time="$segundos" -timeout=10 "${opcoes[@]}" -print_final_stats=1 \
            "$corpus" "$raiz/${sementes[$alvo]}" "${regressao[@]}"
    done
    exit 0
fi

# The same runs on every replay: Qt's hashes take a random seed per process, and
# libFuzzer files comparisons by the address of the code that made them, so both
# would change the paths taken and with them what the fuzzer keeps and mutates. The
# addresses stay put without address-space randomisation (setarch -R), where the
# system allows it; -reload=0 keeps the clock out of it.
export QT_HASH_SEED=0
fixo=(setarch "$(uname -m)" -R)
if ! "${fixo[@]}" true 2>/dev/null; then
    fixo=()
    echo "fuzz.sh: o sistema não deixa desligar a aleatoriedade de endereços (setarch -R):" \
        "a cobertura pode variar de uma vez para outra" >&2
fi
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for alvo in "${alvos[@]}"; do
    regressao=()
    pasta="$raiz/tests/data/fuzz-regressao/$alvo"
    [ -d "$pasta" ] && mapfile -t regressao < <(find "$pasta" -type f | LC_ALL=C sort)
    # Alone: a target may keep state between inputs (fuzz_layout's round trips go by
    # count), and an input found by exploration reproduces as the first of a process.
    for entrada in "${regressao[@]}"; do
        if ! "${fixo[@]}" "./bin/$alvo" -timeout=60 "${opcoes[@]}" "$entrada" >"$tmp/log" 2>&1; then
            cat "$tmp/log"
            echo "== $alvo: FALHOU na entrada de regressão ${entrada#"$raiz"/}" >&2
            exit 1
        fi
    done
    mkdir "$tmp/$alvo"
    pastas=("$raiz/${sementes[$alvo]}")
    [ -d "$pasta" ] && pastas+=("$pasta")
    if ! "${fixo[@]}" "./bin/$alvo" -seed=1 -runs="${execucoes[$alvo]}" -reload=0 -timeout=60 "${opcoes[@]}" \
        "$tmp/$alvo" "${pastas[@]}" >"$tmp/log" 2>&1; then
        cat "$tmp/log"
        echo "== $alvo: FALHOU (-seed=1 -runs=${execucoes[$alvo]})" >&2
        exit 1
    fi
    # The last status line, without the figures that go by the clock or the memory.
    final="$(grep -E '^#[0-9]+[[:space:]]+DONE ' "$tmp/log" | sed -E 's/^.*DONE +//; s/ +(exec\/s|rss): [^ ]+//g')"
    echo "== $alvo: ${#regressao[@]} entrada(s) de regressão ok; ${execucoes[$alvo]} execuções com -seed=1 ok ($final)"
done
