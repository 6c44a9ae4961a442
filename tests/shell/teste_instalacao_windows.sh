#!/usr/bin/env bash
# The Windows installer under Wine (run by tests/comum/wine.sh, which made the prefix):
# a silent install puts the programs in Program Files with a Start-menu entry, the
# uninstaller in Add/Remove Programs and .key files opened by the window; the programs
# run from there (show's text redirected to a file is UTF-8, as on Linux, with CR LF,
# and reads the same on a console whatever its code page);
# the uninstaller takes away what it installed and leaves what the user put there.
set -uo pipefail
setup=$1 fonte=$2
source "$fonte/tests/comum/driver.sh"
c="$WINEPREFIX/drive_c"
pasta="$c/Program Files/Vantora"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Configurador do Teclado Vantora.lnk"
chave='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vantora-config'

wine "$setup" /S
wineserver -w
[ -f "$pasta/vantora-config.exe" ] || falha "nothing in $pasta"
[ -f "$menu" ] || falha "no Start-menu entry"
wine reg query "$chave" /v UninstallString | grep 'Vantora\\uninstall.exe' >/dev/null || falha "no uninstaller registered"
wine reg query 'HKLM\Software\Classes\Vantora.Layout\shell\open\command' /ve | grep 'vantora-config.exe" "%1"' >/dev/null ||
    falha ".key files are not opened by the window"

wine "$pasta/vantora-prog.exe" --help | grep "Uso: vantora-prog COMANDO" >/dev/null || falha "vantora-prog --help"
wine "$pasta/vantora-prog.exe" show "$fonte/examples/mercado.key" >"$dir/show.txt"
sed 's/$/\r/' "$fonte/tests/data/prog_show.txt" | cmp - "$dir/show.txt" || falha "show's text differs"
# A console in code page 850, as Windows gives Brazilian users: Wine's own console on a
# pseudo-terminal, its cursor movements taken out.
printf '@chcp 850 >nul\r\n@"C:\\Program Files\\Vantora\\vantora-prog.exe" show "%s"\r\n' \
    "$(winepath -w "$fonte/examples/mercado.key")" >"$c/mostra.bat"
script -qec "wine cmd /c 'C:\\mostra.bat'" /dev/null | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | grep -a "cartão" >/dev/null ||
    falha "show's accents on a console"
wine "$pasta/vantora-prog.exe" legend "$fonte/examples/mercado.key" -o "$dir/legenda.png"
[ -s "$dir/legenda.png" ] || falha "no legend sheet"

echo guardado >"$pasta/meu.key"
wine "$pasta/uninstall.exe" /S
wineserver -w # the uninstaller runs on from a copy of itself
[ ! -e "$menu" ] || falha "the Start-menu entry stays"
! wine reg query "$chave" >/dev/null 2>&1 || falha "the uninstaller stays registered"
! wine reg query 'HKLM\Software\Classes\Vantora.Layout' >/dev/null 2>&1 || falha "the .key association stays"
[ "$(cd "$pasta" && find . -mindepth 1)" = ./meu.key ] || falha "left in $pasta: $(ls -R "$pasta")"
termina "installed, run and uninstalled"
