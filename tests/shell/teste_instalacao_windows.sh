#!/usr/bin/env bash
# The Windows installer under Wine (run by tests/comum/wine.sh, which made the prefix
# and the X display): a silent install for every user puts the programs, their texts
# and examples and the web page in Program Files, stripped, with the Start-menu entries
# (the window, "Prompt do Vantora", where vantora-prog is found, and the web page), the uninstaller in Add/Remove
# Programs with its publisher and size, and .key files opened by the window; the
# executables carry the manifest and version Windows reads; the programs run from there
# (show's text redirected to a file is UTF-8, as on Linux, with CR LF, and reads the same
# on a console whatever its code page; the legend sheet has its captions in a font; the
# window's Save dialog starts in Documents);
# the uninstaller refuses while the window is open, then takes away what it installed
# and leaves what the user put there. Installed for one user, without administrator
# rights, where .key files belong to another program, it keeps that program's default
# and gives the type back as it found it.
set -uo pipefail
setup=$1 fonte=$2 recursos=$3
source "$fonte/tests/comum/driver.sh"
requer xdotool pdftotext pdffonts x86_64-w64-mingw32-objdump
c="$WINEPREFIX/drive_c"
pasta="$c/Program Files/Vantora"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
chave='Software\Microsoft\Windows\CurrentVersion\Uninstall\vantora-config'
classes='Software\Classes'

valor() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
padrao() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p' | grep -vx '(value not set)'; }
# ausente KEY...: none of these registry keys is there.
ausente() { for k; do ! wine reg query "$k" >/dev/null 2>&1 || falha "$k is there"; done; }
# silencioso PROGRAM ARGS...: an installer or uninstaller run with /S, waited for with
# the copy of itself an uninstaller goes on from; its status.
silencioso() { wine "$1" /S "${@:2}"; local s=$?; wineserver -w; return $s; }

silencioso "$setup"
[ -f "$menu/Configurador do Teclado Vantora.lnk" ] || falha "no Start-menu entry"
valor "HKLM\\$chave" UninstallString | grep 'Vantora\\uninstall.exe' >/dev/null || falha "no uninstaller registered"
[ "$(valor "HKLM\\$chave" Publisher)" = "Equipe Vantora" ] || falha "publisher: $(valor "HKLM\\$chave" Publisher)"
kb=$(( $(valor "HKLM\\$chave" EstimatedSize) ))
real=$(du -sk "$pasta" | cut -f1)
[ "$kb" -gt $((real * 8 / 10)) ] && [ "$kb" -lt $((real * 12 / 10)) ] || falha "EstimatedSize $kb KB, the folder $real KB"
[ "$(valor "HKLM\\$chave" HelpLink)" = "mailto:suporte@vantora.com.br" ] || falha "no HelpLink"
padrao "HKLM\\$classes\\Vantora.Layout\\shell\\open\\command" | grep 'vantora-config.exe" "%1"' >/dev/null ||
    falha ".key files are not opened by the window"
[ "$(padrao "HKLM\\$classes\\.key")" = Vantora.Layout ] || falha ".key, of no other program, not taken"
wine reg query "HKLM\\$classes\\.key\\OpenWithProgids" /v Vantora.Layout >/dev/null 2>&1 || falha "not in OpenWithProgids"
[ "$(cd "$pasta" && find doc/README.txt doc/vantora-config.txt examples/mercado.key -size +0 | wc -l)" = 3 ] ||
    falha "texts not installed: $(ls -R "$pasta")"
grep -q "vantora-prog legend" "$pasta/doc/vantora-prog.txt" || falha "the manual as text"
# The web page, once scripts/web.sh has built it, with its Start-menu entry.
if [ -f "$fonte/build-web/pagina/index.html" ]; then
    for f in "$fonte"/build-web/pagina/*.{html,css,js}; do
        cmp -s "$f" "$pasta/web/${f##*/}" || falha "web page: ${f##*/} not installed"
    done
    wine "$recursos" atalho "$menu/Configurador do Teclado Vantora no navegador.lnk" | tr -d '\r' |
        grep -qi 'Vantora\\web\\index.html$' || falha "no Start-menu entry for the web page"
fi
# Each .exe and .dll stripped: no debugging sections left.
find "$pasta" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-objdump -h {} + >"$dir/secoes"
awk '/file format/ { f = $0; sub(/: +file format.*/, "", f) } /\.debug_/ { print "not stripped: " f }' "$dir/secoes" |
    sort -u | grep . && falha "debugging sections installed"

# What Windows reads from the executables: the version resource and the manifest.
for p in vantora-config vantora-prog; do
    wine "$recursos" programa "$pasta/$p.exe" | tr -d '\r' >"$dir/$p.txt" || falha "$p: no version resource or manifest"
    for l in "CompanyName=Equipe Vantora" "ProductName=Configurador do Teclado Vantora" "ProductVersion=0.1"$'\n' \
        "OriginalFilename=$p.exe" "Fixa=0.1.0.0" 'level="asInvoker"' '>PerMonitorV2' 'longPathAware' \
        '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
        [[ $(cat "$dir/$p.txt") == *"$l"* ]] || falha "$p: no $l in $(cat "$dir/$p.txt")"
    done
    grep -q "^FileDescription=..." "$dir/$p.txt" || falha "$p: no description"
done

wine "$pasta/vantora-prog.exe" show "$fonte/examples/mercado.key" >"$dir/show.txt"
sed 's/$/\r/' "$fonte/tests/data/prog_show.txt" | cmp - "$dir/show.txt" || falha "show's text differs"
# A console in code page 850, as Windows gives Brazilian users: Wine's own console on a
# pseudo-terminal, its cursor movements taken out.
printf '@chcp 850 >nul\r\n@"C:\\Program Files\\Vantora\\vantora-prog.exe" show "%s"\r\n' \
    "$(winepath -w "$fonte/examples/mercado.key")" >"$c/mostra.bat"
script -qec "wine cmd /c 'C:\\mostra.bat'" /dev/null | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | grep -a "cartão" >/dev/null ||
    falha "show's accents on a console"
# "Prompt do Vantora": its command, run with /c, finds vantora-prog from the user's folder.
# The console of the test before is let go first (its cmd and conhost end with the
# pseudo-terminal), so that this cmd's output is not held by what is left of it.
wineserver -w
wine "$recursos" atalho "$menu/Prompt do Vantora.lnk" | tr -d '\r' >"$dir/prompt" || falha "no Prompt do Vantora"
printf '@"%s" %s\r\n' "$(head -1 "$dir/prompt")" \
    "$(sed -n 2p "$dir/prompt" | sed 's|^/k |/c |; s|vantora-prog --help|cd \& vantora-prog --version|')" >"$c/prompt.bat"
wine cmd /c 'C:\prompt.bat' 2>&1 | tr -d '\r' >"$dir/prompt.txt"
grep -qx "vantora-prog 0.1" "$dir/prompt.txt" && grep -qi 'users' "$dir/prompt.txt" ||
    falha "vantora-prog from the prompt: $(cat "$dir/prompt.txt"), the shortcut's command: $(cat "$dir/prompt")"

# The legend sheet: its captions are text in an embedded font.
wine "$pasta/vantora-prog.exe" legend "$fonte/examples/mercado.key" -o "$dir/legenda.pdf" 2>"$dir/legenda.err" &&
    [ ! -s "$dir/legenda.err" ] || falha "legend said: $(cat "$dir/legenda.err")"
[ "$(pdffonts "$dir/legenda.pdf" | tail -n +3 | wc -l)" -ge 1 ] || falha "no font in the legend's PDF"
pdftotext "$dir/legenda.pdf" - | grep -q "Back SP" || falha "no caption in the legend's PDF"
pdftotext "$dir/legenda.pdf" - | grep -q "Linhas de cada tecla" || falha "no notes in the legend's PDF"

# The installed window's Save, from its menu: the system's dialog starts in the user's
# Documents (Wine links that to the host's home: a folder of the prefix instead), so the
# name it offers, taken with Enter, lands there and not in the program's folder.
documentos="$(winepath -u "$(wine cmd /c 'echo %USERPROFILE%' | tr -d '\r')")/Documents"
[ -L "$documentos" ] && rm "$documentos" && mkdir "$documentos"
janela() { w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$w" ]; }
salvar() { xdotool mousemove --window "$1" 101 8 click 1 && ate 10 janela '^Salvar Layout Teclado Ordavi$'; }
salva_em_documentos() {
    fundo janela wine "$1/vantora-config.exe"
    ate 120 janela '^Corvalo USB/Serial$' || { falha "the window did not open from $1"; return; }
    ate 30 salvar "$w" || { falha "no Save dialog from $1"; return; }
    xdotool mousemove --window "$w" 200 100 sleep 0.5 key Return
    ate 30 test -s "$documentos/vantora.key" ||
        falha "saved from $1 not in Documents: $(find "$documentos" "$1" -name '*.key')"
    [ ! -e "$1/vantora.key" ] || falha "saved in $1"
    rm -f "$documentos/vantora.key"
}

# While the window is open nothing is removed, the entry least of all.
echo guardado >"$pasta/meu.key"
salva_em_documentos "$pasta"
wine "$pasta/uninstall.exe" /S && falha "uninstalling under the open window said success"
[ -f "$pasta/vantora-config.exe" ] && [ -f "$pasta/uninstall.exe" ] && [ -f "$pasta/Qt6Core.dll" ] &&
    [ -f "$menu/Configurador do Teclado Vantora.lnk" ] && [ -n "$(valor "HKLM\\$chave" UninstallString)" ] ||
    falha "the uninstaller took away files, the Start-menu entry or its own: $(ls "$pasta")"
kill "$(cat "$dir/janela.pid")"
wait "$(cat "$dir/janela.pid")" 2>/dev/null

silencioso "$pasta/uninstall.exe" || falha "uninstall: status $?"
[ ! -e "$menu/Configurador do Teclado Vantora.lnk" ] && [ ! -e "$menu/Prompt do Vantora.lnk" ] &&
    [ ! -e "$menu/Configurador do Teclado Vantora no navegador.lnk" ] ||
    falha "the Start-menu entries stay"
ausente "HKLM\\$chave" "HKLM\\$classes\\Vantora.Layout" "HKLM\\$classes\\.key"
[ "$(cd "$pasta" && find . -mindepth 1)" = ./meu.key ] || falha "left in $pasta: $(ls -R "$pasta")"

# For this user only, where .key files open with another program.
wine reg add "HKLM\\$classes\\.key" /ve /d Outro.Documento /f >/dev/null
wine reg add "HKLM\\$classes\\.key" /v "Content Type" /d text/plain /f >/dev/null
wine reg add "HKLM\\$classes\\Outro.Documento\\shell\\open\\command" /ve /d 'notepad.exe "%1"' /f >/dev/null
silencioso "$setup" /CurrentUser
usuario="$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")/Programs/Vantora"
[ -n "$(valor "HKCU\\$chave" UninstallString)" ] || falha "no uninstaller registered for the user"
ausente "HKLM\\$chave"
[ "$(padrao "HKLM\\$classes\\.key")" = Outro.Documento ] && [ -z "$(padrao "HKCU\\$classes\\.key")" ] ||
    falha "the other program's .key taken"
wine reg query "HKCU\\$classes\\.key\\OpenWithProgids" /v Vantora.Layout >/dev/null 2>&1 || falha "not the user's OpenWithProgids"
salva_em_documentos "$usuario"
wine taskkill /f /im vantora-config.exe >/dev/null 2>&1
wait "$(cat "$dir/janela.pid")" 2>/dev/null
silencioso "$usuario/uninstall.exe" || falha "the user's uninstall: status $?"
[ ! -e "$usuario" ] || falha "left in $usuario: $(ls -R "$usuario")"
ausente "HKCU\\$chave" "HKCU\\$classes\\.key"
[ "$(padrao "HKLM\\$classes\\.key")" = Outro.Documento ] && [ "$(valor "HKLM\\$classes\\.key" "Content Type")" = text/plain ] ||
    falha "the other program's .key was changed"
termina "installed, run and uninstalled, for everyone and for one user"
