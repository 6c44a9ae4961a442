#!/usr/bin/env bash
# The Windows installer under Wine (run by tests/comum/wine.sh, which made the prefix):
# a silent install puts the programs in Program Files with a Start-menu entry, the
# uninstaller in Add/Remove Programs and .key files opened by the window; the programs
# run from there (show's text redirected to a file is UTF-8, as on Linux, with CR LF,
# and reads the same on a console: Wine's, on a pseudo-terminal by `script`);
# the uninstaller takes away what it installed and leaves what the user put there.
set -euo pipefail
setup=$1 fonte=$2
c="$WINEPREFIX/drive_c"
pasta="$c/Program Files/Vantora"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Configurador do Teclado Vantora.lnk"
chave='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vantora-config'
falha() { echo "FAIL: $*"; exit 1; }

wine "$setup" /S
wineserver -w
[ -f "$pasta/vantora-config.exe" ] || falha "nothing in $pasta"
[ -f "$menu" ] || falha "no Start-menu entry"
wine reg query "$chave" /v UninstallString | grep -q 'Vantora\\uninstall.exe' || falha "no uninstaller registered"
wine reg query 'HKLM\Software\Classes\Vantora.Layout\shell\open\command' /ve | grep -q 'vantora-config.exe" "%1"' ||
    falha ".key files are not opened by the window"

wine "$pasta/vantora-prog.exe" --help | grep -q "Uso: vantora-prog COMANDO" || falha "vantora-prog --help"
saida=$(mktemp -d)
trap 'rm -rf "$saida"' EXIT
wine "$pasta/vantora-prog.exe" show "$fonte/examples/mercado.key" >"$saida/show.txt"
sed 's/$/\r/' "$fonte/tests/data/prog_show.txt" | cmp - "$saida/show.txt" || falha "show's text differs"
script -qec "$(printf '%q ' wine "$pasta/vantora-prog.exe" show "$fonte/examples/mercado.key")" /dev/null |
    grep -aq "Sentinelas do leitor de cartão" || falha "show's accents on a console"
wine "$pasta/vantora-prog.exe" legend "$fonte/examples/mercado.key" -o "$saida/legenda.png"
[ -s "$saida/legenda.png" ] || falha "no legend sheet"

echo guardado >"$pasta/meu.key"
wine "$pasta/uninstall.exe" /S
wineserver -w # the uninstaller runs on from a copy of itself
[ ! -e "$menu" ] || falha "the Start-menu entry stays"
! wine reg query "$chave" >/dev/null 2>&1 || falha "the uninstaller stays registered"
! wine reg query 'HKLM\Software\Classes\Vantora.Layout' >/dev/null 2>&1 || falha "the .key association stays"
[ "$(cd "$pasta" && find . -mindepth 1)" = ./meu.key ] || falha "left in $pasta: $(ls -R "$pasta")"
echo "installed, run and uninstalled"
